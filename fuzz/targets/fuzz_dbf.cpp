// A DBF table with its memo file. The first byte of the input and the next
// four give the table's length; the rest is the memo file, laid beside the
// table under both memo names.
#include "FuzzSupport.h"

#include "common/ScriptedPrompter.h"
#include "interchange/clsDBF.h"

using namespace kulvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application();
    const QByteArray input = fuzz::bytes(data, size);
    if (input.size() < 4)
        return 0;
    const quint32 tableLength = static_cast<quint32>(static_cast<quint8>(input[0]))
        | static_cast<quint32>(static_cast<quint8>(input[1])) << 8
        | static_cast<quint32>(static_cast<quint8>(input[2])) << 16
        | static_cast<quint32>(static_cast<quint8>(input[3])) << 24;
    const QByteArray rest = input.mid(4);
    const QByteArray table = rest.left(static_cast<qsizetype>(std::min<quint32>(tableLength, rest.size())));
    const QByteArray memo = rest.mid(table.size());
    fuzz::inputFile(QStringLiteral("input.dbt"), memo);
    fuzz::inputFile(QStringLiteral("input.fpt"), memo);
    const QString path = fuzz::inputFile(QStringLiteral("input.dbf"), table);

    ScriptedPrompter prompter;
    prompter.setDefaultAnswer(Prompter::Answer::No);
    clsDBF dbf(prompter);
    if (!dbf.OpenFile(path))
        return 0;
    const int fields = dbf.FieldsCount();
    for (int f = 0; f < fields; ++f) {
        (void)dbf.GetFieldName(f);
        (void)dbf.GetFieldSize(f);
    }
    int visited = 0;
    for (Status s = dbf.MoveFirst(); s && !dbf.NoRecord() && visited < 1000; s = dbf.MoveNext(), ++visited) {
        (void)dbf.RecordIsDeleted();
        for (int f = 0; f < fields; ++f) {
            (void)dbf.GetFieldValue(f);
            (void)dbf.GetMemoDataSize(f);
        }
    }
    (void)dbf.CloseFile();
    return 0;
}
