#pragma once

#include <QChar>
#include <QString>

#include <optional>

namespace kulvera {

// The facts about DBF file types and field types that the engine, the dump and
// the exports share: names, DAO/ADO type numbers, required lengths.

// DAO field types (DataTypeEnum) as callers copying into Jet-style tables expect.
namespace dao {
inline constexpr int dbBoolean = 1;
inline constexpr int dbByte = 2;
inline constexpr int dbInteger = 3;
inline constexpr int dbLong = 4;
inline constexpr int dbCurrency = 5;
inline constexpr int dbSingle = 6;
inline constexpr int dbDouble = 7;
inline constexpr int dbDate = 8;
inline constexpr int dbBinary = 9;
inline constexpr int dbText = 10;
inline constexpr int dbLongBinary = 11;
inline constexpr int dbMemo = 12;
inline constexpr int dbDecimal = 20;
} // namespace dao

// ADO field types (DataTypeEnum) for GetFieldTypeForADO / CreateFieldFromADO.
namespace ado {
inline constexpr int adSmallInt = 2;
inline constexpr int adInteger = 3;
inline constexpr int adSingle = 4;
inline constexpr int adDouble = 5;
inline constexpr int adCurrency = 6;
inline constexpr int adDate = 7;
inline constexpr int adBoolean = 11;
inline constexpr int adDecimal = 14;
inline constexpr int adUnsignedTinyInt = 17;
inline constexpr int adBigInt = 20;
inline constexpr int adBinary = 128;
inline constexpr int adChar = 129;
inline constexpr int adNumeric = 131;
inline constexpr int adDBDate = 133;
inline constexpr int adDBTimeStamp = 135;
inline constexpr int adVarChar = 200;
inline constexpr int adLongVarChar = 201;
inline constexpr int adVarWChar = 202;
inline constexpr int adLongVarWChar = 203;
inline constexpr int adVarBinary = 204;
inline constexpr int adLongVarBinary = 205;
} // namespace ado

namespace dbf {

// File type byte 0.
inline constexpr int kFoxBase = 2;
inline constexpr int kDBase3 = 3;
inline constexpr int kVisualFoxPro = 48;
inline constexpr int kVisualFoxProAutoInc = 49;
inline constexpr int kVisualFoxPro9 = 50;
inline constexpr int kDBase3Memo = 131;
inline constexpr int kDBase4Memo = 139;
inline constexpr int kFoxPro2Memo = 245;
inline constexpr int kFoxBase2 = 251;
inline constexpr int kImpExpSpecial = 255;

// Descriptor flags (byte 18).
inline constexpr int kFlagSystem = 0x01;
inline constexpr int kFlagNullable = 0x02;
inline constexpr int kFlagBinary = 0x04;
inline constexpr int kFlagAutoIncrement = 0x0C;

inline constexpr int kHeaderSize = 32;
inline constexpr int kDescriptorSize = 32;
inline constexpr int kVfpBackLinkSize = 263;
inline constexpr char kTerminator = 0x0D;
inline constexpr char kEndOfFile = 0x1A;

// Name GetFileType gives for a type byte; nothing for a type we do not know.
std::optional<QString> fileTypeName(int type);
bool isVisualFoxPro(int type);
bool isFoxPro(int type); // FoxPro 2.x and Visual FoxPro: memo in "fpt"
bool supportsMemo(int type);
// Bytes between the start of the file and the first descriptor's end marker area.
int headerOverhead(int type); // 33, or 296 for Visual FoxPro

bool isKnownFieldType(char type);
// Length a field type must have, or 0 when the type leaves it to the caller.
// Memo references are 4 binary bytes in Visual FoxPro and 10 digits elsewhere.
int requiredLength(char type, int fileType);
bool isMemoType(char type); // M, G: a block number into the memo file
bool isTextType(char type); // C, V

// DAO type of a field as it is stored.
int daoType(char type, int length, int decimals, bool binary, int fileType);
int adoType(char type, int length, int decimals, bool binary, int fileType);

} // namespace dbf
} // namespace kulvera
