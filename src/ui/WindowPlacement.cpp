#include "ui/WindowPlacement.h"

#include "platform/Registry.h"
#include "ui/RegistryError.h"
#include "ui/Twips.h"

#include <QHeaderView>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTableView>
#include <QTreeView>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr int kEdgePixels = 20;
constexpr int32_t kMaxGridWidth = 10000;
constexpr int32_t kMinLastGridWidth = 5;

struct Placement
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

QRect availableGeometry(const QWidget *window)
{
    const QScreen *screen = window->screen();
    return screen ? screen->availableGeometry() : QRect();
}

// A window last placed on a screen that is gone comes back to the edge of this one.
void clampToScreen(const QWidget *window, Placement &placement, bool clampSize)
{
    const QRect screen = availableGeometry(window);
    if (screen.isEmpty())
        return;
    const double perPixelX = twipsPerPixelX(window);
    const double perPixelY = twipsPerPixelY(window);
    if (placement.left > pixelsToTwips(screen.width() - kEdgePixels, perPixelX))
        placement.left = 0;
    if (placement.top > pixelsToTwips(screen.height() - kEdgePixels, perPixelY))
        placement.top = 0;
    if (clampSize) {
        placement.width = std::min(placement.width, pixelsToTwips(screen.width(), perPixelX));
        placement.height = std::min(placement.height, pixelsToTwips(screen.height(), perPixelY));
    }
}

int32_t readOr(Registry &registry, const QString &name, int32_t fallback)
{
    int32_t value = 0;
    return registry.ReadLong(name, value) ? value : fallback;
}

// The geometry to remember: a maximised or minimised window keeps its normal one.
QRect currentPlacement(const QWidget *window)
{
    // Inside the main frame the child window's frame holds the position; the size stays the
    // window's own, so a restore sizes the window itself.
    if (const auto *sub = qobject_cast<const QMdiSubWindow *>(window->parentWidget())) {
        const QRect outer = sub->isMaximized() || sub->isMinimized() ? sub->normalGeometry() : sub->geometry();
        if (outer.isValid())
            return QRect(outer.topLeft(), window->size());
    }
    if (window->isWindow() && (window->isMaximized() || window->isMinimized())) {
        const QRect normal = window->normalGeometry();
        if (normal.isValid()) {
            const QPoint frameOffset = window->geometry().topLeft() - window->pos();
            return QRect(normal.topLeft() - frameOffset, normal.size());
        }
    }
    return QRect(window->pos(), window->size());
}

// Writes the values in order; the first failure shows the error box and ends the writing.
bool writeAll(Registry &registry, const std::vector<std::pair<QString, int32_t>> &values, const MessageDialogFn &show)
{
    for (const auto &[name, value] : values) {
        if (!registry.WriteLong(name, value)) {
            ShowRegistryError(registry, show);
            return false;
        }
    }
    return true;
}

int lastVisibleColumn(const QHeaderView *header)
{
    for (int visual = header->count() - 1; visual >= 0; --visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical))
            return logical;
    }
    return -1;
}

} // namespace

void RestoreWindowPosition(Registry &registry, QWidget *window, const QString &key)
{
    Placement placement;
    placement.left = readOr(registry, key + QStringLiteral("Left"), 0);
    placement.top = readOr(registry, key + QStringLiteral("Top"), 0);
    clampToScreen(window, placement, false);
    window->move(twipsToPixels(placement.left, twipsPerPixelX(window)),
                 twipsToPixels(placement.top, twipsPerPixelY(window)));
}

bool SaveWindowPosition(Registry &registry, QWidget *window, const QString &key, const MessageDialogFn &show)
{
    const QRect geometry = currentPlacement(window);
    return writeAll(registry,
                    {{key + QStringLiteral("Left"), pixelsToTwips(geometry.x(), twipsPerPixelX(window))},
                     {key + QStringLiteral("Top"), pixelsToTwips(geometry.y(), twipsPerPixelY(window))}},
                    show);
}

void RestoreWindowPlacement(Registry &registry, QWidget *window, const QString &key, int32_t defaultWidth,
                            int32_t defaultHeight)
{
    Placement placement;
    placement.width = readOr(registry, key + QStringLiteral("Width"), defaultWidth);
    placement.height = readOr(registry, key + QStringLiteral("Height"), defaultHeight);
    placement.left = readOr(registry, key + QStringLiteral("Left"), 0);
    placement.top = readOr(registry, key + QStringLiteral("Top"), 0);
    clampToScreen(window, placement, true);
    const double perPixelX = twipsPerPixelX(window);
    const double perPixelY = twipsPerPixelY(window);
    window->resize(twipsToPixels(placement.width, perPixelX), twipsToPixels(placement.height, perPixelY));
    window->move(twipsToPixels(placement.left, perPixelX), twipsToPixels(placement.top, perPixelY));
}

void RestoreWindowPlacement(Registry &registry, QWidget *window, const QString &key)
{
    const QSize hint = window->sizeHint();
    RestoreWindowPlacement(registry, window, key, pixelsToTwips(hint.width(), twipsPerPixelX(window)),
                           pixelsToTwips(hint.height(), twipsPerPixelY(window)));
}

bool SaveWindowPlacement(Registry &registry, QWidget *window, const QString &key, const MessageDialogFn &show)
{
    const QRect geometry = currentPlacement(window);
    const double perPixelX = twipsPerPixelX(window);
    const double perPixelY = twipsPerPixelY(window);
    return writeAll(registry,
                    {{key + QStringLiteral("Width"), pixelsToTwips(geometry.width(), perPixelX)},
                     {key + QStringLiteral("Height"), pixelsToTwips(geometry.height(), perPixelY)},
                     {key + QStringLiteral("Top"), pixelsToTwips(geometry.y(), perPixelY)},
                     {key + QStringLiteral("Left"), pixelsToTwips(geometry.x(), perPixelX)}},
                    show);
}

void RestoreColumnWidths(Registry &registry, QTreeView *list, const QString &key)
{
    const double perPixel = twipsPerPixelX(list);
    const int count = list->header()->count();
    for (int column = 0; column < count; ++column) {
        int32_t width = 0;
        if (registry.ReadLong(key + QString::number(column + 1), width))
            list->setColumnWidth(column, twipsToPixels(width, perPixel));
    }
}

bool SaveColumnWidths(Registry &registry, QTreeView *list, const QString &key, const MessageDialogFn &show)
{
    const double perPixel = twipsPerPixelX(list);
    std::vector<std::pair<QString, int32_t>> values;
    const int count = list->header()->count();
    for (int column = 0; column < count; ++column)
        values.emplace_back(key + QString::number(column + 1), pixelsToTwips(list->columnWidth(column), perPixel));
    return writeAll(registry, values, show);
}

void RestoreGridLayout(Registry &registry, QTableView *table, const QString &key)
{
    QHeaderView *header = table->horizontalHeader();
    const int count = header->count();
    for (int column = 0; column < count; ++column) {
        int32_t position = 0;
        if (registry.ReadLong(key + QString::number(column) + QStringLiteral("Pos"), position) && position >= 0 &&
            position < count)
            header->moveSection(header->visualIndex(column), position);
    }
    // The last visible column must stay wide enough to be grabbed again.
    const int lastVisible = lastVisibleColumn(header);
    for (int column = 0; column < count; ++column) {
        int32_t width = 0;
        if (!registry.ReadLong(key + QString::number(column) + QStringLiteral("Width"), width) || width < 0 ||
            width > kMaxGridWidth)
            continue;
        if (column == lastVisible && width < kMinLastGridWidth)
            width = kMinLastGridWidth;
        // Narrow columns were narrowed on purpose; the header would otherwise widen them.
        if (width < header->minimumSectionSize())
            header->setMinimumSectionSize(width);
        header->resizeSection(column, width);
    }
}

bool SaveGridLayout(Registry &registry, QTableView *table, const QString &key, const MessageDialogFn &show)
{
    const QHeaderView *header = table->horizontalHeader();
    std::vector<std::pair<QString, int32_t>> values;
    for (int column = 0; column < header->count(); ++column) {
        values.emplace_back(key + QString::number(column) + QStringLiteral("Width"), header->sectionSize(column));
        values.emplace_back(key + QString::number(column) + QStringLiteral("Pos"), header->visualIndex(column));
    }
    return writeAll(registry, values, show);
}
