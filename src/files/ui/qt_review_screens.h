#pragma once
// The word list review on screen: the ListReviewDialog, modal over a parent widget.

#include "files/word_list_review.h"

class QWidget;

class QtReviewScreens : public ReviewScreens {
public:
    explicit QtReviewScreens(QWidget* parent = nullptr) : parent_(parent) {}

    std::optional<std::pair<Entries, Entries>> reviewLists(const ListReviewState& state) override;

private:
    QWidget* parent_;
};
