#pragma once

#include "platform/MessageDialog.h"

#include <QString>

#include <cstdint>

class QTableView;
class QTreeView;
class QWidget;
class Registry;

// Where each window was last placed and how its list columns were laid out, stored under the
// settings key with value names formed from the window key ("dlgLog" + "Left", ...).
// Window geometry and list-view column widths are in twips; table-list widths are in pixels.
// The writers stop at the first failed write and show the registry error box through show.

void RestoreWindowPosition(Registry &registry, QWidget *window, const QString &key);
bool SaveWindowPosition(Registry &registry, QWidget *window, const QString &key, const MessageDialogFn &show);

void RestoreWindowPlacement(Registry &registry, QWidget *window, const QString &key, int32_t defaultWidth,
                            int32_t defaultHeight);
// Without a stored placement the window keeps the size its layout asks for.
void RestoreWindowPlacement(Registry &registry, QWidget *window, const QString &key);
bool SaveWindowPlacement(Registry &registry, QWidget *window, const QString &key, const MessageDialogFn &show);

// List-view columns are numbered from 1 in the value names.
void RestoreColumnWidths(Registry &registry, QTreeView *list, const QString &key);
bool SaveColumnWidths(Registry &registry, QTreeView *list, const QString &key, const MessageDialogFn &show);

// Table-list columns keep their visual position and width, numbered from 0.
void RestoreGridLayout(Registry &registry, QTableView *table, const QString &key);
bool SaveGridLayout(Registry &registry, QTableView *table, const QString &key, const MessageDialogFn &show);
