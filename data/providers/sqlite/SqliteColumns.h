// How a column's declared SQLite type becomes the column type the data layer knows.
#pragma once

#include <array>
#include <string_view>

#include "data/ColumnInfo.h"

namespace tiermend::data::sqlite {

// One declared type name (upper case, without its "(...)" arguments) and its column
// type. Text and binary types take their size from "(n)"; DECIMAL and NUMERIC take
// precision and scale from "(p,s)".
struct DeclaredType {
  std::string_view name;
  ColumnType type;
};

inline constexpr std::array kDeclaredTypes{
    DeclaredType{"INTEGER", ColumnType::Int64},
    DeclaredType{"BIGINT", ColumnType::Int64},
    DeclaredType{"INT8", ColumnType::Int64},
    DeclaredType{"INT", ColumnType::Int32},
    DeclaredType{"INT4", ColumnType::Int32},
    DeclaredType{"MEDIUMINT", ColumnType::Int32},
    DeclaredType{"LONG", ColumnType::Int32},
    DeclaredType{"SMALLINT", ColumnType::Int16},
    DeclaredType{"INT2", ColumnType::Int16},
    DeclaredType{"TINYINT", ColumnType::UInt8},
    DeclaredType{"BYTE", ColumnType::UInt8},
    DeclaredType{"REAL", ColumnType::Double},
    DeclaredType{"DOUBLE", ColumnType::Double},
    DeclaredType{"DOUBLE PRECISION", ColumnType::Double},
    DeclaredType{"FLOAT", ColumnType::Double},
    DeclaredType{"SINGLE", ColumnType::Single},
    DeclaredType{"DECIMAL", ColumnType::Decimal},
    DeclaredType{"NUMERIC", ColumnType::Decimal},
    DeclaredType{"MONEY", ColumnType::Currency},
    DeclaredType{"SMALLMONEY", ColumnType::Currency},
    DeclaredType{"CURRENCY", ColumnType::Currency},
    DeclaredType{"DATETIME", ColumnType::DateTime},
    DeclaredType{"DATETIME2", ColumnType::DateTime},
    DeclaredType{"SMALLDATETIME", ColumnType::DateTime},
    DeclaredType{"TIMESTAMP", ColumnType::DateTime},
    DeclaredType{"DATE", ColumnType::Date},
    DeclaredType{"TIME", ColumnType::Time},
    DeclaredType{"BOOLEAN", ColumnType::Boolean},
    DeclaredType{"BOOL", ColumnType::Boolean},
    DeclaredType{"BIT", ColumnType::Boolean},
    DeclaredType{"YESNO", ColumnType::Boolean},
    DeclaredType{"CHAR", ColumnType::Text},
    DeclaredType{"CHARACTER", ColumnType::Text},
    DeclaredType{"VARCHAR", ColumnType::Text},
    DeclaredType{"CHARACTER VARYING", ColumnType::Text},
    DeclaredType{"NCHAR", ColumnType::Text},
    DeclaredType{"NVARCHAR", ColumnType::Text},
    DeclaredType{"TEXT", ColumnType::Text},
    DeclaredType{"CLOB", ColumnType::Memo},
    DeclaredType{"MEMO", ColumnType::Memo},
    DeclaredType{"LONGTEXT", ColumnType::Memo},
    DeclaredType{"NTEXT", ColumnType::Memo},
    DeclaredType{"BLOB", ColumnType::Blob},
    DeclaredType{"IMAGE", ColumnType::Blob},
    DeclaredType{"LONGBINARY", ColumnType::Blob},
    DeclaredType{"BINARY", ColumnType::Binary},
    DeclaredType{"VARBINARY", ColumnType::Binary},
    DeclaredType{"GUID", ColumnType::Guid},
    DeclaredType{"UNIQUEIDENTIFIER", ColumnType::Guid},
};

// The column for a declared type such as "VARCHAR(20)" or "decimal(18, 6)". A name
// not in the table is judged by SQLite's own affinity rules: "INT" → Int64; "CHAR",
// "TEXT" → Text; "CLOB" → Memo; "BLOB" → Blob; "REAL", "FLOA", "DOUB" → Double;
// anything else → Decimal. Returns false for an empty declared type.
bool columnFromDeclaredType(std::string_view declared, ColumnInfo& column);

// The column for a value without a declared type (an expression), by its storage
// class: SQLITE_INTEGER → Int64, SQLITE_FLOAT → Double, SQLITE_BLOB → Blob, else Text.
void columnFromStorageClass(int storageClass, ColumnInfo& column);

}  // namespace tiermend::data::sqlite
