#pragma once

// The Windows types, constants and status codes that the driver and backend code use, under
// their Windows names and with Windows' sizes on every platform: a DWORD is 32 bits and a wide
// character is one UTF-16 unit. On Windows the functions of this layer forward to the real API;
// elsewhere they are our own implementation (see the other headers of this folder).
//
// Windows' own headers define most of these names as macros, so <windows.h> is only ever
// included by this folder's Windows sources, after this header.

#include <cstdint>

namespace win
{
using DWORD   = std::uint32_t;
using LONG    = std::int32_t;
using BOOL    = std::int32_t;
using BYTE    = std::uint8_t;
using UINT    = std::uint32_t;
using WCHAR   = char16_t;
using LPCWSTR = const WCHAR*;
using LPWSTR  = WCHAR*;
using LPCSTR  = const char*;
using REGSAM  = DWORD;

using HANDLE  = void*;
struct HKEY__;
using HKEY    = HKEY__*;
struct HMODULE__;
using HMODULE = HMODULE__*;
using FARPROC = void (*)();

constexpr DWORD ERROR_SUCCESS           = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND    = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND    = 3;
constexpr DWORD ERROR_ACCESS_DENIED     = 5;
constexpr DWORD ERROR_INVALID_HANDLE    = 6;
constexpr DWORD ERROR_BAD_FORMAT        = 11;
constexpr DWORD ERROR_INVALID_DATA      = 13;
constexpr DWORD ERROR_NOT_SUPPORTED     = 50;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_BUFFER_OVERFLOW   = 111;
constexpr DWORD ERROR_MOD_NOT_FOUND     = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND    = 127;
constexpr DWORD ERROR_ALREADY_EXISTS    = 183;
constexpr DWORD ERROR_MORE_DATA         = 234;
constexpr DWORD ERROR_TIMEOUT           = 1460;

constexpr REGSAM KEY_READ = 0x20019;

constexpr DWORD REG_NONE      = 0;
constexpr DWORD REG_SZ        = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY    = 3;
constexpr DWORD REG_DWORD     = 4;
constexpr DWORD REG_MULTI_SZ  = 7;
constexpr DWORD REG_QWORD     = 11;

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10u;
constexpr DWORD FILE_ATTRIBUTE_NORMAL   = 0x80u;

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT  = 258;
constexpr DWORD WAIT_FAILED   = 0xFFFFFFFFu;
constexpr DWORD INFINITE      = 0xFFFFFFFFu;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

constexpr DWORD EVENT_MODIFY_STATE = 0x0002;
constexpr DWORD SYNCHRONIZE        = 0x00100000;

/** The predefined root key HKEY_CLASSES_ROOT. */
extern const HKEY HKEY_CLASSES_ROOT;
} // namespace win
