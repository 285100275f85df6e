#include "views/ListPrintPopup.h"

#include "ui/PopupMenu.h"
#include "ui/grid/ListPrintMenu.h"

#include <QAbstractItemView>
#include <QPushButton>

void WirePrintPopup(QAbstractItemView *grid, QPushButton *print, PopupMenu &popup, ListPrintMenu &menu,
                    const QString &rootKey)
{
    const auto show = [&popup, &menu, rootKey](const QPoint &globalPos) {
        popup.Clear();
        popup.CreateRoot(QStringLiteral("HIDDEN"), rootKey);
        menu.AddItems(popup, rootKey);
        const QString key = popup.Show(rootKey, globalPos);
        if (!key.isEmpty())
            menu.Run(key);
    };
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(grid, &QWidget::customContextMenuRequested, grid, [grid, print, show](const QPoint &pos) {
        if (print->isEnabled())
            show(grid->viewport()->mapToGlobal(pos));
    });
    QObject::connect(print, &QPushButton::clicked, print,
                     [print, show] { show(print->mapToGlobal(QPoint(0, print->height()))); });
}
