#include "interchange/DbfTypes.h"

namespace kulvera::dbf {

std::optional<QString> fileTypeName(int type)
{
    switch (type) {
    case kFoxBase:
    case kFoxBase2:
        return QStringLiteral("FoxBASE");
    case kDBase3:
        return QStringLiteral("FoxBASE+/dBASE III+, no memo");
    case kVisualFoxPro:
    case kVisualFoxProAutoInc:
        return QStringLiteral("FoxPro 3.x/Visual FoxPro");
    case kVisualFoxPro9:
        return QStringLiteral("Visual FoxPro 9.0");
    case kDBase3Memo:
        return QStringLiteral("FoxBASE+/dBASE III+ with memo");
    case kDBase4Memo:
        return QStringLiteral("dBASE IV with memo");
    case kFoxPro2Memo:
        return QStringLiteral("FoxPro 2.x (or earlier) with memo");
    case kImpExpSpecial:
        return QStringLiteral("File Import/Export Special");
    default:
        return std::nullopt;
    }
}

bool isVisualFoxPro(int type)
{
    return type == kVisualFoxPro || type == kVisualFoxProAutoInc || type == kVisualFoxPro9;
}

bool isFoxPro(int type)
{
    return isVisualFoxPro(type) || type == kFoxPro2Memo;
}

bool supportsMemo(int type)
{
    return isVisualFoxPro(type) || type == kDBase3Memo || type == kDBase4Memo || type == kFoxPro2Memo
        || type == kImpExpSpecial;
}

int headerOverhead(int type)
{
    return kHeaderSize + 1 + (isVisualFoxPro(type) ? kVfpBackLinkSize : 0);
}

bool isKnownFieldType(char type)
{
    switch (type) {
    case 'C':
    case 'V':
    case 'N':
    case 'F':
    case 'D':
    case 'T':
    case 'L':
    case 'M':
    case 'G':
    case 'I':
    case 'B':
    case 'Y':
    case 'Q':
    case '1':
    case '2':
    case '4':
    case 'v':
    case '0':
        return true;
    default:
        return false;
    }
}

int requiredLength(char type, int fileType)
{
    switch (type) {
    case 'D':
    case 'T':
    case 'B':
    case 'Y':
        return 8;
    case 'L':
    case '1':
        return 1;
    case 'I':
    case '4':
        return 4;
    case '2':
        return 2;
    case 'v':
        return 16;
    case 'M':
    case 'G':
        return isVisualFoxPro(fileType) ? 4 : 10;
    default:
        return 0;
    }
}

bool isMemoType(char type)
{
    return type == 'M' || type == 'G';
}

bool isTextType(char type)
{
    return type == 'C' || type == 'V';
}

int daoType(char type, int length, int decimals, bool binary, int fileType)
{
    switch (type) {
    case 'C':
    case 'V':
        if (binary)
            return dao::dbBinary;
        return length > 255 ? dao::dbMemo : dao::dbText;
    case 'N':
        if (decimals > 0 || length > 11)
            return isVisualFoxPro(fileType) || fileType == kImpExpSpecial ? dao::dbDecimal : dao::dbDouble;
        if (length <= 1)
            return dao::dbByte;
        return length <= 6 ? dao::dbInteger : dao::dbLong;
    case 'F':
    case 'B':
        return dao::dbDouble;
    case 'D':
    case 'T':
        return dao::dbDate;
    case 'L':
        return dao::dbBoolean;
    case 'M':
    case 'G':
        return dao::dbMemo;
    case 'I':
        return dao::dbLong;
    case 'Y':
        return dao::dbCurrency;
    case 'Q':
        return dao::dbLongBinary;
    case '1':
        return dao::dbByte;
    case '2':
        return dao::dbInteger;
    case '4':
        return dao::dbSingle;
    case 'v':
        return dao::dbDecimal;
    default: // '0' and letters we do not know are raw bytes
        return dao::dbBinary;
    }
}

int adoType(char type, int length, int decimals, bool binary, int fileType)
{
    switch (daoType(type, length, decimals, binary, fileType)) {
    case dao::dbBoolean:
        return ado::adBoolean;
    case dao::dbByte:
        return ado::adUnsignedTinyInt;
    case dao::dbInteger:
        return ado::adSmallInt;
    case dao::dbLong:
        return ado::adInteger;
    case dao::dbCurrency:
        return ado::adCurrency;
    case dao::dbSingle:
        return ado::adSingle;
    case dao::dbDouble:
        return ado::adDouble;
    case dao::dbDate:
        return type == 'T' ? ado::adDBTimeStamp : ado::adDBDate;
    case dao::dbText:
        return ado::adVarChar;
    case dao::dbLongBinary:
        return ado::adLongVarBinary;
    case dao::dbMemo:
        return type == 'G' || binary ? ado::adLongVarBinary : ado::adLongVarChar;
    case dao::dbDecimal:
        return type == 'N' ? ado::adNumeric : ado::adDecimal;
    default:
        return type == 'C' || type == 'V' ? ado::adVarBinary : ado::adBinary;
    }
}

} // namespace kulvera::dbf
