#include "ui/WindowContracts.h"

#include <QWidget>

QWidget *WidgetOf(FrameChild *child)
{
    return dynamic_cast<QWidget *>(child);
}

void ApplyCardSearch(CardListWindow &list, const CardSearchFilters &filters)
{
    list.ClearCardNameFilters();
    if (filters.kindFilterActive) {
        for (int i = 0; i < CardSearchFilters::kKindCount; ++i) {
            if (filters.kinds.test(size_t(i)))
                list.SetCardNameFilter(CardSearchFilters::kFirstKind + i);
        }
    }
    list.SetSearchFilters(filters);
}
