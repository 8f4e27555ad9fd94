#include "shell/CaptionsBase.h"
#include "support/TempBases.h"

#include <gtest/gtest.h>

using namespace kulvera;

TEST(CaptionsBase, AFormsTableIsWrittenWholeAndReadBack)
{
    test::TempBases bases;
    CaptionsBase captions(bases.connections());
    EXPECT_FALSE(captions.connected());
    EXPECT_FALSE(captions.read(QStringLiteral("Feat")));
    EXPECT_FALSE(captions.write(QStringLiteral("Feat"), {}).ok());

    ASSERT_NE(bases.create(BaseId::Captions), Connections::kFailed);
    // The main window's table comes with the base; other forms have none yet.
    ASSERT_TRUE(captions.read(QStringLiteral("frmMain")));
    EXPECT_FALSE(captions.read(QStringLiteral("Feat")));

    ASSERT_TRUE(captions
                    .write(QStringLiteral("Feat"),
                        {{QStringLiteral("apply"), QStringLiteral("Применить"), QString()},
                            {QStringLiteral("<Str>"), QStringLiteral("текст кода"), QString()}})
                    .ok());
    ASSERT_TRUE(
        captions
            .write(QStringLiteral("Feat"), {{QStringLiteral("apply"), QStringLiteral("Apply"), QStringLiteral("Save")}})
            .ok());
    const auto rows = captions.read(QStringLiteral("Feat"));
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 1u); // the second write replaced the table's rows
    EXPECT_EQ(rows->at(0).caption, u"Apply");
    EXPECT_EQ(rows->at(0).tipText, u"Save");
}
