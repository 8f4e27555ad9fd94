#pragma once

#include <QApplication>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

namespace kulvera::test {

// Grabs the widget's picture and keeps it where the environment variable says
// (the README's screenshots are made so); without the variable it only checks
// that the widget paints.
inline void keepPicture(QWidget &widget, const char *variable)
{
    QApplication::processEvents();
    const QPixmap picture = widget.grab();
    EXPECT_FALSE(picture.isNull());
    const QString path = qEnvironmentVariable(variable);
    if (!path.isEmpty()) {
        EXPECT_TRUE(picture.save(path)) << path.toStdString();
    }
}

} // namespace kulvera::test
