// Windows implementation: the waiting window is a real window with its label,
// the message box is the system's message box, and every file operation uses
// the wide-character (UTF-16) calls, so that folders and file names with
// letters such as "è" work whatever the system's 8-bit code page is. Paths
// arrive and errors leave as UTF-8, as everywhere else in the program.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <climits>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/platform.hpp"

namespace platform {
namespace {

// ---------------------------------------------------------------------------
// Text conversion between the program's UTF-8 and the system's UTF-16.

// Strict: a path that is not valid UTF-8 is refused rather than silently
// turned into another name.
bool a_utf16(std::string_view s, std::wstring& w) {
  w.clear();
  if (s.empty()) return true;
  if (s.size() > static_cast<std::size_t>(INT_MAX)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return false;
  }
  const int len = static_cast<int>(s.size());
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), len, nullptr, 0);
  if (n <= 0) return false;
  w.resize(static_cast<std::size_t>(n));
  n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), len, w.data(), n);
  if (n <= 0) return false;
  w.resize(static_cast<std::size_t>(n));
  return true;
}

// Lenient: for texts shown on screen, where a replacement mark is better than
// nothing.
std::wstring testo_utf16(std::string_view s) {
  std::wstring w;
  if (s.empty() || s.size() > static_cast<std::size_t>(INT_MAX)) return w;
  const int len = static_cast<int>(s.size());
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), len, nullptr, 0);
  if (n <= 0) return w;
  w.resize(static_cast<std::size_t>(n));
  n = MultiByteToWideChar(CP_UTF8, 0, s.data(), len, w.data(), n);
  w.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return w;
}

std::string a_utf8(std::wstring_view w) {
  std::string s;
  if (w.empty() || w.size() > static_cast<std::size_t>(INT_MAX)) return s;
  const int len = static_cast<int>(w.size());
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), len, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return s;
  s.resize(static_cast<std::size_t>(n));
  n = WideCharToMultiByte(CP_UTF8, 0, w.data(), len, s.data(), n, nullptr, nullptr);
  s.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return s;
}

// The system's own wording for an error code, in the user's language.
std::string motivo_di_sistema(DWORD codice) {
  wchar_t* buf = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, codice, 0, reinterpret_cast<LPWSTR>(&buf), 0, nullptr);
  std::wstring testo;
  if (n > 0 && buf != nullptr) testo.assign(buf, n);
  if (buf != nullptr) LocalFree(buf);
  while (!testo.empty() &&
         (testo.back() == L'\r' || testo.back() == L'\n' || testo.back() == L' ')) {
    testo.pop_back();
  }
  if (testo.empty()) return "errore di sistema " + std::to_string(codice);
  return a_utf8(testo);
}

Errore errore_di_sistema(const std::string& file, DWORD codice) {
  return {file, motivo_di_sistema(codice)};
}

// A path in the form the wide-character calls take. Paths near or beyond the
// classic 260-character limit get the extended-length prefix, which needs a
// full path with backslashes only.
bool percorso_nativo(const std::string& percorso, std::wstring& w) {
  if (!a_utf16(percorso, w)) return false;
  if (w.size() < 240 || w.rfind(L"\\\\?\\", 0) == 0) return true;
  DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n == 0) return true;
  std::wstring pieno(n, L'\0');
  n = GetFullPathNameW(w.c_str(), n, pieno.data(), nullptr);
  if (n == 0 || n >= pieno.size()) return true;
  pieno.resize(n);
  if (pieno.rfind(L"\\\\", 0) == 0) {
    w = L"\\\\?\\UNC\\" + pieno.substr(2);
  } else {
    w = L"\\\\?\\" + pieno;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Files.

class FileWin32 final : public FileInScrittura {
 public:
  FileWin32(std::string destinazione, std::wstring destinazione_w, std::wstring temporaneo,
            HANDLE h)
      : destinazione_(std::move(destinazione)),
        destinazione_w_(std::move(destinazione_w)),
        temporaneo_(std::move(temporaneo)),
        h_(h) {}
  FileWin32(const FileWin32&) = delete;
  FileWin32& operator=(const FileWin32&) = delete;
  ~FileWin32() override {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    if (!confermato_) DeleteFileW(temporaneo_.c_str());
  }

  bool scrivi(const void* dati, std::size_t n, Errore& err) override {
    if (h_ == INVALID_HANDLE_VALUE) {
      err = errore_di_sistema(destinazione_, ERROR_INVALID_HANDLE);
      return false;
    }
    const char* p = static_cast<const char*>(dati);
    while (n > 0) {
      const DWORD parte = n > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(n);
      DWORD scritti = 0;
      if (!WriteFile(h_, p, parte, &scritti, nullptr)) {
        err = errore_di_sistema(destinazione_, GetLastError());
        return false;
      }
      if (scritti == 0) {
        err = errore_di_sistema(destinazione_, ERROR_WRITE_FAULT);
        return false;
      }
      p += scritti;
      n -= scritti;
    }
    return true;
  }

  bool conferma(Errore& err) override {
    if (h_ == INVALID_HANDLE_VALUE) {
      err = errore_di_sistema(destinazione_, ERROR_INVALID_HANDLE);
      return false;
    }
    if (!FlushFileBuffers(h_)) {
      err = errore_di_sistema(destinazione_, GetLastError());
      return false;
    }
    const BOOL chiuso = CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
    if (!chiuso) {
      err = errore_di_sistema(destinazione_, GetLastError());
      return false;
    }
    if (!MoveFileExW(temporaneo_.c_str(), destinazione_w_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      err = errore_di_sistema(destinazione_, GetLastError());
      return false;
    }
    confermato_ = true;
    return true;
  }

 private:
  std::string destinazione_;
  std::wstring destinazione_w_;
  std::wstring temporaneo_;
  HANDLE h_;
  bool confermato_ = false;
};

std::wstring esadecimale(std::uint32_t v) {
  static constexpr wchar_t cifre[] = L"0123456789abcdef";
  std::wstring s(8, L'0');
  for (int i = 7; i >= 0; --i, v >>= 4) s[static_cast<std::size_t>(i)] = cifre[v & 0xF];
  return s;
}

class FileSystemWin32 final : public FileSystem {
 public:
  bool esiste(const std::string& percorso) override {
    std::wstring w;
    if (!percorso_nativo(percorso, w)) return false;
    const DWORD attr = GetFileAttributesW(w.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  bool leggi(const std::string& percorso, std::string& byte, Errore& err) override {
    std::wstring w;
    if (!percorso_nativo(percorso, w)) {
      err = errore_di_sistema(percorso, GetLastError());
      return false;
    }
    HANDLE h = CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      err = errore_di_sistema(percorso, GetLastError());
      return false;
    }
    byte.clear();
    LARGE_INTEGER dimensione;
    if (GetFileSizeEx(h, &dimensione) && dimensione.QuadPart > 0 &&
        dimensione.QuadPart < (1LL << 31)) {
      byte.reserve(static_cast<std::size_t>(dimensione.QuadPart));
    }
    char buf[65536];
    for (;;) {
      DWORD letti = 0;
      if (!ReadFile(h, buf, sizeof buf, &letti, nullptr)) {
        err = errore_di_sistema(percorso, GetLastError());
        CloseHandle(h);
        return false;
      }
      if (letti == 0) break;
      byte.append(buf, letti);
    }
    CloseHandle(h);
    return true;
  }

  std::unique_ptr<FileInScrittura> crea(const std::string& percorso, Errore& err) override {
    std::wstring w;
    if (!percorso_nativo(percorso, w)) {
      err = errore_di_sistema(percorso, GetLastError());
      return nullptr;
    }
    const DWORD attr = GetFileAttributesW(w.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      // A folder cannot be replaced by a file: what the system answers when
      // one tries to open a folder as a file.
      err = errore_di_sistema(percorso, ERROR_ACCESS_DENIED);
      return nullptr;
    }
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY) != 0) {
      // A file marked read-only is not replaced: refused before anything is
      // written, as the move at the end would be.
      err = errore_di_sistema(percorso, ERROR_ACCESS_DENIED);
      return nullptr;
    }
    // The temporary file sits beside the target, so the final move stays in
    // one volume and replaces the target in one step.
    const std::wstring processo = esadecimale(GetCurrentProcessId());
    for (int tentativo = 0; tentativo < 64; ++tentativo) {
      const std::uint32_t sale =
          static_cast<std::uint32_t>(GetTickCount()) * 2654435761u + ++contatore_;
      std::wstring temporaneo = w + L".tmp-" + processo + L"-" + esadecimale(sale);
      HANDLE h = CreateFileW(temporaneo.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h != INVALID_HANDLE_VALUE) {
        return std::make_unique<FileWin32>(percorso, w, std::move(temporaneo), h);
      }
      const DWORD e = GetLastError();
      if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) {
        err = errore_di_sistema(percorso, e);
        return nullptr;
      }
    }
    err = errore_di_sistema(percorso, ERROR_FILE_EXISTS);
    return nullptr;
  }

  bool cancella(const std::string& percorso, Errore& err) override {
    std::wstring w;
    if (!percorso_nativo(percorso, w) || !DeleteFileW(w.c_str())) {
      err = errore_di_sistema(percorso, GetLastError());
      return false;
    }
    return true;
  }

 private:
  std::uint32_t contatore_ = 0;
};

// ---------------------------------------------------------------------------
// The waiting window Form1 with its label Label1, and the message box.

constexpr wchar_t kClasseForm[] = L"Form1";
constexpr int kIdLabel1 = 1;

// Sizes at 96 dots per inch; the window scales them to the screen's.
constexpr int kLarghezzaClient = 280;
constexpr int kAltezzaClient = 179;
constexpr int kLabelX = 64;
constexpr int kLabelY = 64;
constexpr int kLabelLarghezza = 177;
constexpr int kLabelAltezza = 53;
constexpr int kCorpoPunti = 24;

LRESULT CALLBACK procedura_form(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  // The window has nothing that reacts to the user: it goes away when the
  // run ends, not when someone asks it to (only a message box shown over it
  // gives it the chance to receive the request at all).
  if (msg == WM_CLOSE) return 0;
  return DefWindowProcW(h, msg, wp, lp);
}

int punti_per_pollice() {
  HDC dc = GetDC(nullptr);
  int dpi = 0;
  if (dc != nullptr) {
    dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
  }
  return dpi > 0 ? dpi : 96;
}

// Debugging aid: SB_ATTESA_MS=<milliseconds> holds the painted window on the
// screen that long before the work starts, so that a test or a screenshot can
// find it. Unset in normal use; capped at one minute.
DWORD pausa_di_prova() {
  wchar_t buf[16];
  const DWORD n = GetEnvironmentVariableW(L"SB_ATTESA_MS", buf, 16);
  if (n == 0 || n >= 16) return 0;
  DWORD ms = 0;
  for (DWORD i = 0; i < n; ++i) {
    if (buf[i] < L'0' || buf[i] > L'9') return 0;
    ms = ms * 10 + static_cast<DWORD>(buf[i] - L'0');
    if (ms > 60000) return 60000;
  }
  return ms;
}

class FinestraWin32 final : public Finestra {
 public:
  FinestraWin32() = default;
  FinestraWin32(const FinestraWin32&) = delete;
  FinestraWin32& operator=(const FinestraWin32&) = delete;
  ~FinestraWin32() override { chiudi(); }

  void mostra_attesa(std::string_view titolo) override {
    const std::wstring didascalia = testo_utf16(titolo);
    if (form_ != nullptr) {
      SetWindowTextW(form_, didascalia.c_str());
      UpdateWindow(form_);
      return;
    }
    // Sizes are given at 96 dpi; the process says it scales itself, so the
    // system does not stretch the window's bitmap on a high-dpi screen.
    SetProcessDPIAware();
    const int dpi = punti_per_pollice();
    auto scala = [dpi](int v) { return MulDiv(v, dpi, 96); };

    HINSTANCE istanza = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = procedura_form;
    wc.hInstance = istanza;
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kClasseForm;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;

    const DWORD stile = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT r{0, 0, scala(kLarghezzaClient), scala(kAltezzaClient)};
    AdjustWindowRectEx(&r, stile, FALSE, 0);
    form_ = CreateWindowExW(0, kClasseForm, didascalia.c_str(), stile, CW_USEDEFAULT, CW_USEDEFAULT,
                            r.right - r.left, r.bottom - r.top, nullptr, nullptr, istanza, nullptr);
    if (form_ == nullptr) return;

    font_ = CreateFontW(-MulDiv(kCorpoPunti, dpi, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    HWND label1 =
        CreateWindowExW(0, L"STATIC", L"Attendere", WS_CHILD | WS_VISIBLE | SS_LEFT, scala(kLabelX),
                        scala(kLabelY), scala(kLabelLarghezza), scala(kLabelAltezza), form_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdLabel1)), istanza, nullptr);
    if (label1 != nullptr && font_ != nullptr) {
      SendMessageW(label1, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }

    // Shown and painted once; no window events are processed while the run
    // works.
    ShowWindow(form_, SW_SHOWDEFAULT);
    UpdateWindow(form_);
    GdiFlush();

    if (const DWORD ms = pausa_di_prova(); ms > 0) Sleep(ms);
  }

  void messaggio(std::string_view titolo, std::string_view testo) override {
    const std::wstring t = testo_utf16(titolo);
    const std::wstring m = testo_utf16(testo);
    // Modal over the waiting window when there is one, over the whole task
    // otherwise; returns when the user has pressed OK.
    const UINT tipo = MB_OK | MB_SETFOREGROUND | (form_ == nullptr ? MB_TASKMODAL : 0u);
    MessageBoxW(form_, m.c_str(), t.c_str(), tipo);
  }

  void chiudi() override {
    if (form_ != nullptr) {
      DestroyWindow(form_);
      form_ = nullptr;
    }
    if (font_ != nullptr) {
      DeleteObject(font_);
      font_ = nullptr;
    }
  }

 private:
  HWND form_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace

std::unique_ptr<FileSystem> file_system_nativo() { return std::make_unique<FileSystemWin32>(); }
std::unique_ptr<Finestra> finestra_nativa() { return std::make_unique<FinestraWin32>(); }

std::string cartella_eseguibile() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return ".";
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    // Truncated: try again with more room, up to the longest path there is.
    if (buf.size() >= 32768) return ".";
    buf.resize(buf.size() * 2);
  }
  const auto pos = buf.find_last_of(L"\\/");
  if (pos == std::wstring::npos) return ".";
  std::wstring cartella = buf.substr(0, pos);
  // An executable at the root of a drive: the folder is "C:\", not "C:".
  if (cartella.size() == 2 && cartella[1] == L':') cartella += L'\\';
  return a_utf8(cartella);
}

}  // namespace platform
