#include "files/ui/qt_review_screens.h"

#include "files/ui/list_review_dialog.h"

std::optional<std::pair<Entries, Entries>> QtReviewScreens::reviewLists(const ListReviewState& state)
{
    ListReviewDialog dialog(state, parent_);
    return dialog.review();
}
