#include "DemoKitchen.h"
#include "documents/DocumentTestSupport.h"

#include "common/TextDate.h"
#include "costing/RequisitionDocument.h"
#include "menus/forms/MenuEditorForm.h"

#include <QFileInfo>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace kulvera;

TEST(MenuEditorRequisition, ThePrintButtonWritesTheOpenRationsRequisition)
{
    test::DemoKitchen k;
    ASSERT_TRUE(k.made);
    {
        MenuEditorForm without(k.context);
        EXPECT_FALSE(without.findChild<QPushButton *>(QStringLiteral("printRequisition"))->isEnabled());
    }
    // As the program's printer does, but into the test's folder and without showing it.
    QString written;
    MenuEditorForm::setRequisitionPrinter([&](const Ration &ration, AppContext &context) {
        const Result<ListOutcome> made = printRequisition(ration, context.connections, context.shared.templatesFolder(),
            context.settings, k.dir.filePath(requisitionFileName(ration)), context.prompter);
        if (made)
            written = made->path;
        return made.ok();
    });
    MenuEditorForm editor(k.context);
    editor.show();
    auto *print = editor.findChild<QPushButton *>(QStringLiteral("printRequisition"));
    ASSERT_TRUE(print && print->isEnabled());
    EXPECT_FALSE(editor.printRequisition()) << "no ration is open";
    const QDate day = k.span().first;
    ASSERT_TRUE(editor.openRation(day, test::kDemoGroup));
    print->click();
    MenuEditorForm::setRequisitionPrinter({});
    ASSERT_TRUE(QFileInfo::exists(written)) << k.prompter.transcript().toStdString();
    const test::Sheet s = test::readSheet(written);
    EXPECT_EQ(s.cell(QStringLiteral("B3")).toString(), formatTextDate(day));
    EXPECT_EQ(s.cell(QStringLiteral("C6")).toString(), editor.ration().mealName(1));
    EXPECT_EQ(s.cell(QStringLiteral("C7")).toString(), editor.ration().dishName(editor.ration().dishAt(1, 1)));
}
