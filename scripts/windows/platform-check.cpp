// Checks of the Windows platform layer, run under Wine by
// scripts/windows-test.sh: wide-character file names, replacing a file in one
// step, nothing left behind by a dropped or failed write, the system's reason
// in every error, and the folder of the executable.
//
//   platform-check.exe files   runs the file checks in the executable's folder
//                              (the script puts it in a folder named with "è")
//                              and compares the folder with SB_CARTELLA_ATTESA;
//   platform-check.exe message shows the message box and reports when the
//                              user has closed it.
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

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace {

int superati = 0;
int falliti = 0;

void verifica(bool ok, const char* cosa, const std::string& dettaglio = {}) {
  if (ok) {
    ++superati;
    std::printf("ok   %s\n", cosa);
  } else {
    ++falliti;
    std::printf("FAIL %s%s%s\n", cosa, dettaglio.empty() ? "" : ": ", dettaglio.c_str());
  }
  std::fflush(stdout);
}

std::wstring w16(const std::string& s) {
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string u8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

// Independent of the layer under test: plain Win32 calls on wide names.
bool scrivi_diretto(const std::wstring& p, const std::string& byte) {
  HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD scritti = 0;
  BOOL ok = WriteFile(h, byte.data(), static_cast<DWORD>(byte.size()), &scritti, nullptr);
  CloseHandle(h);
  return ok && scritti == byte.size();
}

std::string leggi_diretto(const std::wstring& p) {
  HANDLE h =
      CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<mancante>";
  std::string s;
  char buf[4096];
  DWORD letti = 0;
  while (ReadFile(h, buf, sizeof buf, &letti, nullptr) && letti > 0) s.append(buf, letti);
  CloseHandle(h);
  return s;
}

std::vector<std::string> nomi_in(const std::wstring& cartella) {
  std::vector<std::string> nomi;
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW((cartella + L"\\*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return nomi;
  do {
    std::wstring n = d.cFileName;
    if (n != L"." && n != L"..") nomi.push_back(u8(n));
  } while (FindNextFileW(h, &d));
  FindClose(h);
  std::sort(nomi.begin(), nomi.end());
  return nomi;
}

std::string elenco(const std::vector<std::string>& v) {
  std::string s;
  for (const auto& n : v) s += "[" + n + "]";
  return s;
}

bool motivo_pulito(const platform::Errore& e) {
  return !e.motivo.empty() && e.motivo.back() != '\n' && e.motivo.back() != '\r';
}

int controlli_file() {
  const std::string cartella = platform::cartella_eseguibile();
  wchar_t attesa[32768];
  DWORD n = GetEnvironmentVariableW(L"SB_CARTELLA_ATTESA", attesa, 32768);
  verifica(n > 0 && n < 32768 && w16(cartella) == std::wstring(attesa, n),
           "the executable's folder, with its non-ASCII letters, as UTF-8", cartella);
  verifica(cartella.find("\xC3\xA8") != std::string::npos,
           "the folder name holds the UTF-8 letter e-grave", cartella);

  // Work in a subfolder so that the executable itself is not in the listings.
  const std::string dir = platform::unisci(cartella, "prova perché");
  const std::wstring wdir = w16(dir);
  CreateDirectoryW(wdir.c_str(), nullptr);
  verifica(dir == cartella + "\\prova perché", "unisci joins with a backslash", dir);

  auto fs = platform::file_system_nativo();
  platform::Errore err;

  // A new file with a non-ASCII name.
  const std::string nuovo = platform::unisci(dir, "città è.txt");
  {
    auto f = fs->crea(nuovo, err);
    verifica(f != nullptr, "crea a new file", err.testo());
    if (f) {
      verifica(f->scrivi("riga\r\n", 6, err), "scrivi", err.testo());
      verifica(!fs->esiste(nuovo), "the target does not exist before conferma");
      verifica(f->conferma(err), "conferma", err.testo());
    }
  }
  verifica(leggi_diretto(w16(nuovo)) == "riga\r\n", "the file holds the bytes written");
  verifica(fs->esiste(nuovo), "esiste: a file");
  verifica(!fs->esiste(dir), "esiste: a folder is not a file");
  verifica(!fs->esiste(platform::unisci(dir, "manca.txt")), "esiste: a missing file");
  verifica(elenco(nomi_in(wdir)) == "[città è.txt]", "no temporary file is left",
           elenco(nomi_in(wdir)));

  std::string letto;
  verifica(fs->leggi(nuovo, letto, err) && letto == "riga\r\n", "leggi a non-ASCII name",
           err.testo());

  // Replacing a longer file: nothing of the old bytes remains.
  const std::string lungo = platform::unisci(dir, "lungo.dat");
  scrivi_diretto(w16(lungo), std::string(5000, 'x'));
  {
    auto f = fs->crea(lungo, err);
    bool ok = f && f->scrivi("corto", 5, err) && f->conferma(err);
    verifica(ok, "replace an existing file", err.testo());
  }
  verifica(leggi_diretto(w16(lungo)) == "corto", "a shorter file replaces a longer one whole");

  // A binary block larger than one read buffer comes back unchanged.
  std::string grande(200000, '\0');
  for (std::size_t i = 0; i < grande.size(); ++i)
    grande[i] = static_cast<char>((i * 131u + 7u) & 0xFF);
  const std::string binario = platform::unisci(dir, "grande.bin");
  {
    auto f = fs->crea(binario, err);
    bool ok = f && f->scrivi(grande.data(), grande.size(), err) && f->conferma(err);
    verifica(ok, "write 200000 bytes", err.testo());
  }
  verifica(fs->leggi(binario, letto, err) && letto == grande,
           "read them back unchanged (no text-mode translation)");

  // A file dropped without conferma leaves the old file as it was and no
  // temporary file.
  const std::string tenuto = platform::unisci(dir, "tenuto.dat");
  scrivi_diretto(w16(tenuto), "prima");
  {
    auto f = fs->crea(tenuto, err);
    verifica(f && f->scrivi("dopo", 4, err), "start replacing a file", err.testo());
  }
  verifica(leggi_diretto(w16(tenuto)) == "prima",
           "a dropped file leaves the earlier one untouched");
  const std::string mai = platform::unisci(dir, "mai.dat");
  {
    auto f = fs->crea(mai, err);
    verifica(f != nullptr, "start a file that will be dropped", err.testo());
  }
  verifica(!fs->esiste(mai), "a dropped new file does not appear");

  // A target held open by another program without sharing: the replacement
  // fails with the file's name and the system's reason, the earlier file
  // stays, and the temporary file goes.
  const std::string bloccato = platform::unisci(dir, "bloccato.sim");
  scrivi_diretto(w16(bloccato), "vecchio contenuto");
  {
    HANDLE h =
        CreateFileW(w16(bloccato).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    verifica(h != INVALID_HANDLE_VALUE, "hold the target open without sharing");
    platform::Errore e2;
    bool ok;
    {
      auto f = fs->crea(bloccato, e2);
      ok = f && f->scrivi("nuovo", 5, e2) && f->conferma(e2);
    }
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    verifica(!ok, "replacing a file held open fails");
    verifica(e2.file == bloccato, "the error names the file", e2.file);
    verifica(motivo_pulito(e2),
             "the error carries the system's reason, without a trailing line end", e2.motivo);
    std::printf("     (%s)\n", e2.testo().c_str());
  }
  verifica(leggi_diretto(w16(bloccato)) == "vecchio contenuto",
           "the file held open keeps its content");

  // A file marked read-only is not replaced.
  const std::string protetto = platform::unisci(dir, "protetto.dat");
  scrivi_diretto(w16(protetto), "intatto");
  SetFileAttributesW(w16(protetto).c_str(), FILE_ATTRIBUTE_READONLY);
  {
    platform::Errore e7;
    auto f = fs->crea(protetto, e7);
    bool ok = f && f->scrivi("nuovo", 5, e7) && f->conferma(e7);
    verifica(!ok && e7.file == protetto && motivo_pulito(e7), "a read-only file is not replaced",
             e7.testo());
  }
  verifica(leggi_diretto(w16(protetto)) == "intatto", "the read-only file keeps its content");
  SetFileAttributesW(w16(protetto).c_str(), FILE_ATTRIBUTE_NORMAL);

  // A folder in the target's place.
  const std::string cartella_sim = platform::unisci(dir, "x.sim");
  CreateDirectoryW(w16(cartella_sim).c_str(), nullptr);
  {
    platform::Errore e3;
    auto f = fs->crea(cartella_sim, e3);
    verifica(f == nullptr && e3.file == cartella_sim && motivo_pulito(e3),
             "a folder in the target's place is an error", e3.testo());
  }

  // Errors of reading and deleting a missing file.
  {
    platform::Errore e4;
    const std::string manca = platform::unisci(dir, "manca è.txt");
    verifica(!fs->leggi(manca, letto, e4) && e4.file == manca && motivo_pulito(e4),
             "leggi a missing file: error", e4.testo());
    std::printf("     (%s)\n", e4.testo().c_str());
    platform::Errore e5;
    verifica(!fs->cancella(manca, e5) && e5.file == manca && motivo_pulito(e5),
             "cancella a missing file: error", e5.testo());
    platform::Errore e6;
    verifica(fs->crea(platform::unisci(dir, "nessuna cartella\\a.txt"), e6) == nullptr &&
                 motivo_pulito(e6),
             "crea in a missing folder: error", e6.testo());
  }

  // Deleting.
  verifica(fs->cancella(nuovo, err) && !fs->esiste(nuovo), "cancella a non-ASCII name",
           err.testo());

  verifica(elenco(nomi_in(wdir)) ==
               "[bloccato.sim][grande.bin][lungo.dat][protetto.dat][tenuto.dat][x.sim]",
           "the folder holds exactly the files expected", elenco(nomi_in(wdir)));

  // A path beyond the classic 260-character limit.
  std::string profondo = dir;
  for (int i = 0; i < 6; ++i) {
    profondo = platform::unisci(profondo, std::string(50, static_cast<char>('a' + i)));
    std::wstring wp = L"\\\\?\\" + w16(profondo);
    CreateDirectoryW(wp.c_str(), nullptr);
  }
  const std::string lontano = platform::unisci(profondo, "lontano è.dat");
  {
    auto f = fs->crea(lontano, err);
    bool ok = f && f->scrivi("x", 1, err) && f->conferma(err);
    verifica(ok && fs->esiste(lontano) && fs->leggi(lontano, letto, err) && letto == "x",
             "a path longer than 260 characters", err.testo());
  }

  std::printf("platform-check: %d passed, %d failed\n", superati, falliti);
  return falliti == 0 ? 0 : 1;
}

int controllo_messaggio() {
  auto finestra = platform::finestra_nativa();
  finestra->mostra_attesa("R47093 prova");
  finestra->messaggio("R47093 prova", " Errore n. 1250");
  // Only reached once the box has been closed.
  std::printf("message closed\n");
  std::fflush(stdout);
  finestra->chiudi();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string modo = argc > 1 ? argv[1] : "";
  if (modo == "files") return controlli_file();
  if (modo == "message") return controllo_messaggio();
  std::fprintf(stderr, "use: platform-check.exe files|message\n");
  return 2;
}
