#pragma once
#include <cstdint>

// The Windows scalar types and result codes that the Direct3D 9 / D3DX9 /
// window subset passes around, with their Windows sizes (32-bit DWORD, LONG
// and HRESULT), so that code written against those interfaces compiles
// unchanged here.

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using ULONG = uint32_t;
using INT = int32_t;
using LONG = int32_t;
using BOOL = int32_t;
using FLOAT = float;
using HRESULT = int32_t;
using LPCSTR = const char*;
using LPSTR = char*;
using LPVOID = void*;
using HANDLE = void*;

// A window handle is opaque to everything but the window layer.
struct HWND__;
using HWND = HWND__*;

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

// Passed only as null to Present.
struct RGNDATA;

// A result code from its Windows bit pattern (the patterns are unsigned hex).
constexpr HRESULT MakeResult(uint32_t bits) { return static_cast<HRESULT>(bits); }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeResult(0x80004001u);
inline constexpr HRESULT E_FAIL = MakeResult(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = MakeResult(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = MakeResult(0x80070057u);

constexpr bool SUCCEEDED(HRESULT result) { return result >= 0; }
constexpr bool FAILED(HRESULT result) { return result < 0; }
