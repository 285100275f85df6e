#pragma once

class ListPrintMenu;
class PopupMenu;
class QAbstractItemView;
class QPushButton;
class QString;

// The lists' print popup: from the grid's context menu while Print is enabled, and from Print,
// opening below the button; the entries sit under rootKey.
void WirePrintPopup(QAbstractItemView *grid, QPushButton *print, PopupMenu &popup, ListPrintMenu &menu,
                    const QString &rootKey);
