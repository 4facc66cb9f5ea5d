// Looks at the windows of another program from inside the same Wine session,
// for scripts/windows-test.sh.
//
//   window-probe.exe form TIMEOUT_MS
//       waits for the waiting window (class Form1) and checks it: visible, a
//       caption, client area 280 x 179 at 96 dpi (scaled for the screen), the
//       label Label1 (control 1) "Attendere" at 64,64, 177 x 53. Prints the
//       label's and the client area's screen rectangles for a pixel check.
//   window-probe.exe message TIMEOUT_MS TITLE
//       waits for the message box titled TITLE, checks its text and its OK
//       button, checks that it holds the waiting window disabled (modal), and
//       presses OK.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int falliti = 0;

void verifica(bool ok, const char* cosa, const std::string& dettaglio = {}) {
  std::printf("%s %s%s%s\n", ok ? "ok  " : "FAIL", cosa, dettaglio.empty() ? "" : ": ",
              dettaglio.c_str());
  std::fflush(stdout);
  if (!ok) ++falliti;
}

std::string u8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

std::wstring testo_di(HWND h) {
  wchar_t buf[512];
  int n = GetWindowTextW(h, buf, 512);
  return std::wstring(buf, static_cast<std::size_t>(n > 0 ? n : 0));
}

std::wstring classe_di(HWND h) {
  wchar_t buf[256];
  int n = GetClassNameW(h, buf, 256);
  return std::wstring(buf, static_cast<std::size_t>(n > 0 ? n : 0));
}

std::string rettangolo(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
}

HWND aspetta(const wchar_t* classe, const wchar_t* titolo, DWORD timeout_ms) {
  const ULONGLONG fine = GetTickCount64() + timeout_ms;
  for (;;) {
    HWND h = FindWindowW(classe, titolo);
    if (h != nullptr && IsWindowVisible(h)) return h;
    if (GetTickCount64() >= fine) return nullptr;
    Sleep(20);
  }
}

int sonda_form(DWORD timeout_ms) {
  SetProcessDPIAware();
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  auto scala = [dpi](int v) { return MulDiv(v, dpi, 96); };

  HWND form = aspetta(L"Form1", nullptr, timeout_ms);
  verifica(form != nullptr, "the waiting window Form1 is shown");
  if (form == nullptr) return 1;
  const std::wstring didascalia = testo_di(form);
  verifica(!didascalia.empty(), "it has a caption", u8(didascalia));
  std::printf("caption %s\n", u8(didascalia).c_str());

  RECT client{};
  GetClientRect(form, &client);
  verifica(client.right == scala(280) && client.bottom == scala(179),
           "client area 280 x 179 at 96 dpi",
           std::to_string(client.right) + " x " + std::to_string(client.bottom) + " at " +
               std::to_string(dpi) + " dpi");

  HWND label = GetDlgItem(form, 1);
  verifica(label != nullptr, "it holds the label Label1 (control 1)");
  if (label == nullptr) return 1;
  verifica(classe_di(label) == L"Static", "the label is a static text", u8(classe_di(label)));
  verifica(testo_di(label) == L"Attendere", "the label reads \"Attendere\"", u8(testo_di(label)));
  verifica(IsWindowVisible(label) != FALSE, "the label is visible");
  RECT r{};
  GetWindowRect(label, &r);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
  verifica(r.left == scala(64) && r.top == scala(64) && r.right - r.left == scala(177) &&
               r.bottom - r.top == scala(53),
           "the label is at 64,64, 177 x 53", rettangolo(r));
  int figli = 0;
  for (HWND c = GetWindow(form, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) ++figli;
  verifica(figli == 1, "the label is the window's only control", std::to_string(figli));

  RECT schermo_label{};
  GetWindowRect(label, &schermo_label);
  POINT origine{0, 0};
  ClientToScreen(form, &origine);
  RECT schermo_client{origine.x, origine.y, origine.x + client.right, origine.y + client.bottom};
  std::printf("label_screen %s\n", rettangolo(schermo_label).c_str());
  std::printf("client_screen %s\n", rettangolo(schermo_client).c_str());
  std::fflush(stdout);
  return falliti == 0 ? 0 : 1;
}

int sonda_messaggio(DWORD timeout_ms, const std::wstring& titolo) {
  HWND box = aspetta(L"#32770", titolo.c_str(), timeout_ms);
  verifica(box != nullptr, "the message box is shown", u8(titolo));
  if (box == nullptr) return 1;
  bool testo_trovato = false;
  int pulsanti = 0;
  HWND ok = nullptr;
  for (HWND c = GetWindow(box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    const std::wstring cl = classe_di(c);
    if (cl == L"Static" && testo_di(c) == L" Errore n. 1250") testo_trovato = true;
    if (cl == L"Button") {
      ++pulsanti;
      ok = c;
    }
  }
  verifica(testo_trovato, "its text is \" Errore n. 1250\"");
  verifica(pulsanti == 1 && ok != nullptr && GetDlgCtrlID(ok) == IDOK, "it has one button, OK",
           std::to_string(pulsanti));
  HWND proprietario = GetWindow(box, GW_OWNER);
  verifica(proprietario != nullptr && classe_di(proprietario) == L"Form1" &&
               !IsWindowEnabled(proprietario),
           "it is modal over the waiting window");
  // Still there a moment later: the program waits for the user.
  Sleep(500);
  verifica(IsWindow(box) && IsWindowVisible(box), "it waits for the user");
  if (ok != nullptr) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  }
  const ULONGLONG fine = GetTickCount64() + 5000;
  while (IsWindow(box) && GetTickCount64() < fine) Sleep(20);
  verifica(!IsWindow(box), "OK closes it");
  return falliti == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string modo = argc > 1 ? argv[1] : "";
  const DWORD timeout = argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 10000;
  if (modo == "form") return sonda_form(timeout);
  if (modo == "message" && argc > 3) {
    std::string t = argv[3];
    std::wstring w(t.begin(), t.end());  // ASCII titles only
    return sonda_messaggio(timeout, w);
  }
  std::fprintf(stderr, "use: window-probe.exe form TIMEOUT_MS | message TIMEOUT_MS TITLE\n");
  return 2;
}
