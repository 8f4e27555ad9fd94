#pragma once

#include "common/ScriptedPrompter.h"
#include "interchange/clsDBF.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kulvera::test {

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline QString s(const char16_t *text)
{
    return QString::fromUtf16(text);
}

// A fixture with a temporary folder, a scripted prompter and a fixed day.
class DbfFixture : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    FixedClock clock {QDate(2010, 1, 1)};

    QString path(const QString &name) const { return dir.filePath(name); }

    // Creates NAME with the given type and fields, saves it, and leaves it open in `db`.
    void create(clsDBF &db, const QString &file, int type, int mark = clsDBF::xDBFCharsetDOS866)
    {
        ASSERT_TRUE(db.CreateNewFile(path(file), type, mark).ok()) << db.ErrorDescription().toStdString();
    }
};

} // namespace kulvera::test
