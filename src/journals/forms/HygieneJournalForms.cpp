#include "journals/forms/HygieneJournalForms.h"

#include "journals/forms/JournalReferenceForm.h"
#include "journals/forms/MonthJournalForm.h"

namespace kulvera {
namespace {

// Every journal form needs the journals base; without it the command says so.
CommandRegistry::Opener opener(std::function<QWidget *(AppContext &, QWidget *)> make)
{
    return [make](AppContext &context, QWidget *parent) -> QWidget * {
        if (!context.connections.isConnected(BaseId::Journals)) {
            context.prompter.warning(kJournalsNotConnected.toString());
            return nullptr;
        }
        return make(context, parent);
    };
}

CommandRegistry::Opener monthJournal(JournalKind kind)
{
    return opener([kind](AppContext &c, QWidget *p) -> QWidget * {
        auto *form = new MonthJournalForm(c, kind, p);
        form->load();
        return form;
    });
}

CommandRegistry::Opener subjects(const QString &name, JournalKind kind)
{
    return opener([name, kind](AppContext &c, QWidget *p) { return new JournalReferenceForm(c, name, kind, p); });
}

CommandRegistry::Opener list(const QString &name, const JournalReferenceForm::ListOf &which)
{
    return opener([name, which](AppContext &c, QWidget *p) { return new JournalReferenceForm(c, name, which, p); });
}

} // namespace

void registerHygieneJournalForms(CommandRegistry &registry)
{
    registry.add(QStringLiteral("j_z"), monthJournal(JournalKind::Health));
    registry.add(QStringLiteral("hol_jur"), monthJournal(JournalKind::Temperature));
    registry.add(QStringLiteral("j_z_work"), subjects(QStringLiteral("j_z_work"), JournalKind::Health));
    registry.add(QStringLiteral("obor"), subjects(QStringLiteral("obor"), JournalKind::Temperature));
    registry.add(QStringLiteral("j_z_post"),
        list(QStringLiteral("j_z_post"), [](JournalsBase &b) { return JournalList::places(b, JournalKind::Health); }));
    registry.add(QStringLiteral("pomech"), list(QStringLiteral("pomech"), [](JournalsBase &b) {
        return JournalList::places(b, JournalKind::Temperature);
    }));
    registry.add(QStringLiteral("j_z_res"), list(QStringLiteral("j_z_res"), JournalList::marks));
}

} // namespace kulvera
