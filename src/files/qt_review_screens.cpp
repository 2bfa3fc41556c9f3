#include "files/qt_review_screens.h"

#include "files/list_review_dialog.h"

std::optional<std::pair<Entries, Entries>> QtReviewScreens::reviewLists(const ListReviewState& state)
{
    ListReviewDialog dialog(state, parent_);
    return dialog.review();
}
