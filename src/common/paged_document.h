#pragma once
// The page commands the instruction page editor and the questionnaire editor share:
// flip back and forward, add a page after the current one, remove the current one,
// move it one place towards the front or the back through a move buffer, and the
// fresh flag that spares the first New or Open its overwrite warning. One template
// over the page type; it works on the editor's own document, whose pages and count
// it is given. The editor stores the page on screen into currentPage() before each
// command and shows currentPage() after it.

#include <algorithm>
#include <array>
#include <cstddef>

// What the page editors ask before New or Open replaces the screen, before Exit, and
// before the current page is removed.
inline constexpr const char* overwriteWarning =
    "Any data currently on screen will be overwritten whether or not it has been saved.";
inline constexpr const char* exitWarning = "Any unsaved changes will be lost.";
inline constexpr const char* removePageQuestion = "Are you sure you want to delete the current page?";

template <typename Page, std::size_t Capacity>
class PagedDocument {
public:
    PagedDocument(std::array<Page, Capacity>& pages, int& count) : pages_(pages), count_(count) {}

    static constexpr int capacity = static_cast<int>(Capacity);

    int current() const { return current_; }
    int count() const { return count_; }
    Page& currentPage() { return pages_[static_cast<std::size_t>(current_)]; }
    const Page& currentPage() const { return pages_[static_cast<std::size_t>(current_)]; }

    // A cleared document: one blank page, shown first.
    void clear()
    {
        pages_.fill(Page{});
        count_ = 1;
        current_ = 0;
    }

    // After a document was read: its first page is shown.
    void showFirstPage() { current_ = 0; }

    // New and Open warn that what is on screen will be overwritten, except the first
    // New or Open after the editor opened.
    bool needsOverwriteWarning() const { return !fresh_; }
    void newOrOpenDone() { fresh_ = false; }

    void flipBack()
    {
        if (current_ > 0)
            --current_;
    }
    void flipForward()
    {
        if (current_ < count_ - 1)
            ++current_;
    }

    // Inserts a blank page after the current one and makes it current; false when
    // every page is in use.
    bool addPage()
    {
        if (count_ >= capacity)
            return false;
        insertBlankAt(current_ + 1);
        ++current_;
        return true;
    }

    // The document always keeps a page: the only one cannot be removed.
    bool canRemove() const { return count_ > 1; }

    // Removes the current page when confirmed (and when it is not the only one);
    // confirmed or not, the page before it becomes current (page 0 stays 0).
    void removeCurrent(bool confirmed)
    {
        if (confirmed && canRemove())
            removeAt(current_);
        current_ = std::max(0, current_ - 1);
        current_ = std::min(current_, count_ - 1);
    }

    // Moves the current page one place towards the back (the front); the page at
    // the end it moves towards stays where it is.
    void moveTowardsBack()
    {
        if (current_ < count_ - 1)
            moveTo(current_ + 1);
    }
    void moveTowardsFront()
    {
        if (current_ > 0)
            moveTo(current_ - 1);
    }

private:
    // Through the move buffer: the page is taken out, a blank page is put in at the
    // target place, and the page goes into it.
    void moveTo(int target)
    {
        moveBuffer_ = currentPage();
        removeAt(current_);
        insertBlankAt(target);
        pages_[static_cast<std::size_t>(target)] = moveBuffer_;
        current_ = target;
    }

    void insertBlankAt(int index)
    {
        for (int i = count_; i > index; --i)
            pages_[static_cast<std::size_t>(i)] = pages_[static_cast<std::size_t>(i - 1)];
        pages_[static_cast<std::size_t>(index)] = Page{};
        ++count_;
    }

    void removeAt(int index)
    {
        for (int i = index; i < count_ - 1; ++i)
            pages_[static_cast<std::size_t>(i)] = pages_[static_cast<std::size_t>(i + 1)];
        pages_[static_cast<std::size_t>(count_ - 1)] = Page{};
        --count_;
    }

    std::array<Page, Capacity>& pages_;
    int& count_;
    int current_ = 0;
    bool fresh_ = true;
    Page moveBuffer_{};
};
