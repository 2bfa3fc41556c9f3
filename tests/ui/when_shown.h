#pragma once
// Acting on a modal dialog from inside the test that opened it.

#include <QApplication>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

// Once a modal Widget is the active modal window, hands it to act. Gives up, with a
// failure, after about five seconds.
template <typename Widget>
void whenShown(std::function<void(Widget&)> act, int triesLeft = 500)
{
    QTimer::singleShot(10, [act, triesLeft] {
        if (auto* widget = qobject_cast<Widget*>(QApplication::activeModalWidget()))
            act(*widget);
        else if (triesLeft > 0)
            whenShown<Widget>(act, triesLeft - 1);
        else
            ADD_FAILURE() << "the expected dialog did not appear";
    });
}
