#pragma once

// The per-user store is kept in the text form of a registry export:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\SOFTWARE\Tolvik\Pellamo]
//   "SaveID"=dword:00000001
//   "ID"="kim"
//
//   [HKEY_CURRENT_USER\SOFTWARE\Tolvik\Pellamo\POS]
//   "메인"=hex:2c,01,00,00,c8,00,00,00
//
// Written: CP949 text, CRLF line ends, 8 lowercase dword digits, hex bytes as lowercase pairs joined
// by commas, strings with only \\ and \" escaped. Read as well: LF line ends, ';' comments, hex lines
// continued by a trailing '\', shorter dwords, any letter case in key paths and value names, and a
// "Windows Registry Editor Version 5.00" export in UTF-16LE after a byte-order mark.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum RegType : std::uint32_t
{
    RegSz = 1,
    RegExpandSz = 2,
    RegBinary = 3,
    RegDword = 4,
    RegMultiSz = 7,
    RegQword = 11,
};

struct RegValue
{
    std::string Name; // empty for the key's default value ("@")
    std::uint32_t Type = RegBinary;
    std::vector<std::uint8_t> Data;
};

struct RegKeyEntry
{
    std::string Path; // full path with the root, as spelled in the file
    std::vector<RegValue> Values;

    RegValue* FindValue(std::string_view name);
    void SetValue(std::string_view name, std::uint32_t type, const void* data, std::size_t size);
};

class RegDocument
{
public:
    // Replaces the document with the file's keys. False, with a reason, when the text is not an export
    // this reader understands; the document is then empty. An empty file is an empty document.
    bool Parse(std::string_view fileBytes, std::string* error = nullptr);
    std::string Serialize() const;

    RegKeyEntry* FindKey(std::string_view path);
    // Adds a key, placed before the first key below it so that a parent comes ahead of its sub-keys.
    RegKeyEntry& AddKey(std::string_view path);

    std::vector<RegKeyEntry> Keys;
};

} // namespace platform
