#include "shell/forms/FormCaptions.h"
#include "support/TempBases.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

// A small form with one control of each kind a caption reaches.
struct SampleForm : QWidget {
    QPushButton *save = new QPushButton(QStringLiteral("Сохранить"), this);
    QCheckBox *full = new QCheckBox(QStringLiteral("Полный состав"), this);
    QGroupBox *box = new QGroupBox(QStringLiteral("Пересчёт"), this);
    QTabWidget *tabs = new QTabWidget(this);
    QWidget *page = new QWidget;
    QLabel *nameLabel = new QLabel(QStringLiteral("Наименование:"), this);
    QLineEdit *name = new QLineEdit(this);
    QLabel *total = new QLabel(QStringLiteral("Итого: 12 блюд"), this); // shows data
    QAction *print = new QAction(QStringLiteral("Печать"), this);

    SampleForm()
    {
        setObjectName(QStringLiteral("frmSample"));
        save->setObjectName(QStringLiteral("save"));
        save->setToolTip(QStringLiteral("Записать в базу"));
        full->setObjectName(QStringLiteral("full"));
        box->setObjectName(QStringLiteral("box"));
        page->setObjectName(QStringLiteral("technology"));
        tabs->addTab(page, QStringLiteral("Технология"));
        nameLabel->setObjectName(QStringLiteral("nameLabel"));
        nameLabel->setBuddy(name);
        name->setObjectName(QStringLiteral("name"));
        total->setObjectName(QStringLiteral("total"));
        print->setObjectName(QStringLiteral("print"));
    }
};

const CaptionRow *rowNamed(const std::vector<CaptionRow> &rows, const QString &name)
{
    for (const CaptionRow &r : rows) {
        if (r.name == name)
            return &r;
    }
    return nullptr;
}

} // namespace

TEST(FormCaptions, TheTextsOfNamedControlsAreCollectedButNotTextsThatShowData)
{
    SampleForm form;
    const std::vector<CaptionRow> rows = collectCaptions(&form);
    ASSERT_TRUE(rowNamed(rows, QStringLiteral("save")));
    EXPECT_EQ(rowNamed(rows, QStringLiteral("save"))->caption, u"Сохранить");
    EXPECT_EQ(rowNamed(rows, QStringLiteral("save"))->tipText, u"Записать в базу");
    EXPECT_EQ(rowNamed(rows, QStringLiteral("technology"))->caption, u"Технология");
    EXPECT_EQ(rowNamed(rows, QStringLiteral("nameLabel"))->caption, u"Наименование:");
    EXPECT_EQ(rowNamed(rows, QStringLiteral("print"))->caption, u"Печать");
    EXPECT_TRUE(rowNamed(rows, QStringLiteral("box")) && rowNamed(rows, QStringLiteral("full")));
    EXPECT_FALSE(rowNamed(rows, QStringLiteral("total")));
    EXPECT_FALSE(rowNamed(rows, QStringLiteral("name")));
}

TEST(FormCaptions, TheFormsTableIsAppliedAndAFirstOpeningWritesTheFormsOwnTexts)
{
    test::TempBases bases;
    ASSERT_NE(bases.create(BaseId::Captions), Connections::kFailed);
    CaptionsBase captions(bases.connections());
    {
        // No table yet: the form keeps its texts and gives them as its table.
        SampleForm form;
        applyLanguage(&form, captions, bases.prompter());
        EXPECT_EQ(form.save->text(), u"Сохранить");
        const auto generated = captions.read(QStringLiteral("frmSample"));
        ASSERT_TRUE(generated);
        EXPECT_EQ(generated->size(), collectCaptions(&form).size());
    }
    ASSERT_TRUE(captions
                    .write(QStringLiteral("frmSample"),
                        {{QStringLiteral("save"), QStringLiteral("Save"), QStringLiteral("Write to the base")},
                            {QStringLiteral("technology"), QStringLiteral("Technology"), QString()},
                            {QStringLiteral("nameLabel"), QStringLiteral("Name:"), QString()},
                            {QStringLiteral("print"), QStringLiteral("Print"), QString()},
                            {QStringLiteral("total"), QStringLiteral("Total"), QString()},
                            {QStringLiteral("<Str>"), QStringLiteral("used by code"), QString()},
                            {QStringLiteral("gone"), QStringLiteral("a control the form lost"), QString()}})
                    .ok());
    SampleForm form;
    applyLanguage(&form, captions, bases.prompter());
    EXPECT_EQ(form.save->text(), u"Save");
    EXPECT_EQ(form.save->toolTip(), u"Write to the base");
    EXPECT_EQ(form.tabs->tabText(0), u"Technology");
    EXPECT_EQ(form.nameLabel->text(), u"Name:");
    EXPECT_EQ(form.print->text(), u"Print");
    EXPECT_EQ(form.full->text(), u"Полный состав"); // no row: its own text
    EXPECT_EQ(form.total->text(), u"Итого: 12 блюд"); // a label showing data keeps it
    EXPECT_TRUE(bases.prompter().statuses().contains(QStringLiteral("Языковая поддержка загружена")));
    EXPECT_TRUE(bases.prompter().shown().empty());
}

TEST(FormCaptions, WithoutTheCaptionsBaseAFormKeepsItsOwnTexts)
{
    test::TempBases bases;
    CaptionsBase captions(bases.connections());
    SampleForm form;
    applyLanguage(&form, captions, bases.prompter());
    EXPECT_EQ(form.save->text(), u"Сохранить");
    EXPECT_TRUE(bases.prompter().shown().empty());
    EXPECT_EQ(applyCaptions(&form, {}), 0);
}
