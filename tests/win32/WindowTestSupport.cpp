#include "WindowTestSupport.h"

#include <array>
#include <cstdint>
#include <fstream>

namespace win32_tests {
namespace {

uint32_t Crc32(const unsigned char* data, size_t size, uint32_t crc = 0) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBigEndian(std::vector<unsigned char>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutChunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  std::vector<unsigned char> typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  PutBigEndian(out, Crc32(typed.data(), typed.size()));
}

}  // namespace

Screenshot CaptureWindow(HWND window) {
  Screenshot shot;
  RECT rect{};
  if (!::GetWindowRect(window, &rect)) return shot;
  shot.width = rect.right - rect.left;
  shot.height = rect.bottom - rect.top;
  if (shot.width <= 0 || shot.height <= 0) return {};
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, shot.width, shot.height);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, shot.width, shot.height, screen, rect.left, rect.top, SRCCOPY);
  ::SelectObject(memory, old);

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<unsigned char> bgra(static_cast<size_t>(shot.width) * shot.height * 4);
  ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(shot.height), bgra.data(), &info, DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);

  shot.rgb.resize(static_cast<size_t>(shot.width) * shot.height * 3);
  for (size_t pixel = 0; pixel < bgra.size() / 4; ++pixel) {
    shot.rgb[pixel * 3] = bgra[pixel * 4 + 2];
    shot.rgb[pixel * 3 + 1] = bgra[pixel * 4 + 1];
    shot.rgb[pixel * 3 + 2] = bgra[pixel * 4];
  }
  return shot;
}

bool WritePng(const Screenshot& picture, const std::wstring& path) {
  if (picture.width <= 0 || picture.height <= 0) return false;
  // Each row: filter byte 0 and the pixels.
  std::vector<unsigned char> raw;
  const size_t stride = static_cast<size_t>(picture.width) * 3;
  for (int y = 0; y < picture.height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), picture.rgb.begin() + static_cast<ptrdiff_t>(y * stride),
               picture.rgb.begin() + static_cast<ptrdiff_t>((y + 1) * stride));
  }
  // A zlib stream of stored blocks of at most 65535 bytes, with its Adler-32.
  std::vector<unsigned char> z{0x78, 0x01};
  for (size_t at = 0; at < raw.size() || at == 0;) {
    const size_t length = std::min<size_t>(65535, raw.size() - at);
    const bool last = at + length == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<unsigned char>(length & 0xFF));
    z.push_back(static_cast<unsigned char>(length >> 8));
    z.push_back(static_cast<unsigned char>(~length & 0xFF));
    z.push_back(static_cast<unsigned char>((~length >> 8) & 0xFF));
    z.insert(z.end(), raw.begin() + static_cast<ptrdiff_t>(at), raw.begin() + static_cast<ptrdiff_t>(at + length));
    at += length;
    if (last) break;
  }
  uint32_t a = 1, b = 0;
  for (unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(z, (b << 16) | a);

  std::vector<unsigned char> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header;
  PutBigEndian(header, static_cast<uint32_t>(picture.width));
  PutBigEndian(header, static_cast<uint32_t>(picture.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive filter, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", z);
  PutChunk(png, "IEND", {});

  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == png.size();
}

}  // namespace win32_tests
