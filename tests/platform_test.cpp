// File replacement: nothing lost when a write fails, nothing left behind.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>

#include "build/build.hpp"
#include "support/fixture.hpp"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> nomi_in(const fs::path& d) {
  std::vector<std::string> n;
  for (auto& e : fs::directory_iterator(d)) n.push_back(e.path().filename().string());
  std::sort(n.begin(), n.end());
  return n;
}

TEST(FileNativo, SostituisceUnFilePiuLungo) {
  prova::cartella_temporanea d;
  auto f = d.path() / "a.txt";
  prova::scrivi_file(f, std::string(5000, 'x'));
  auto sys = platform::file_system_nativo();
  platform::Errore err;
  std::array<std::string_view, 2> righe = {"nuovo", "riferimento fine del file"};
  ASSERT_TRUE(build::scrivi_righe(*sys, f.string(), righe, err)) << err.testo();
  EXPECT_EQ(prova::leggi_file(f), "nuovo\r\n");
  EXPECT_EQ(nomi_in(d.path()), std::vector<std::string>{"a.txt"});
}

TEST(FileNativo, UnaScritturaFallitaLasciaIntattoIlFilePrecedente) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
  prova::cartella_temporanea d;
  auto f = d.path() / "a.txt";
  prova::scrivi_file(f, "vecchio");
  fs::permissions(d.path(), fs::perms::owner_read | fs::perms::owner_exec);
  auto sys = platform::file_system_nativo();
  platform::Errore err;
  std::array<std::string_view, 2> righe = {"nuovo", "riferimento fine del file"};
  EXPECT_FALSE(build::scrivi_righe(*sys, f.string(), righe, err));
  EXPECT_EQ(err.file, f.string());
  EXPECT_FALSE(err.motivo.empty());
  fs::permissions(d.path(), fs::perms::owner_all);
  EXPECT_EQ(prova::leggi_file(f), "vecchio");
  EXPECT_EQ(nomi_in(d.path()), std::vector<std::string>{"a.txt"});
}

TEST(FileNativo, UnFileNonConfermatoNonLasciaTraccia) {
  prova::cartella_temporanea d;
  auto f = d.path() / "b.dat";
  prova::scrivi_file(f, "prima");
  auto sys = platform::file_system_nativo();
  platform::Errore err;
  {
    auto w = sys->crea(f.string(), err);
    ASSERT_TRUE(w);
    ASSERT_TRUE(w->scrivi("dopo", 4, err));
  }
  EXPECT_EQ(prova::leggi_file(f), "prima");
  EXPECT_EQ(nomi_in(d.path()), std::vector<std::string>{"b.dat"});
}

TEST(FileNativo, UnaCartellaAlPostoDelFileEUnErrore) {
  prova::cartella_temporanea d;
  fs::create_directory(d.path() / "x.sim");
  auto sys = platform::file_system_nativo();
  platform::Errore err;
  EXPECT_FALSE(sys->crea((d.path() / "x.sim").string(), err));
  EXPECT_FALSE(err.motivo.empty());
  EXPECT_FALSE(sys->esiste((d.path() / "x.sim").string()));
}

// A write that fails half-way (here: past the file-size limit, which binds
// root too) leaves the earlier file whole and no temporary file behind.
TEST(FileNativo, UnaScritturaInterrottaLasciaIntattoIlFilePrecedente) {
  prova::cartella_temporanea d;
  auto f = d.path() / "c.dat";
  prova::scrivi_file(f, "vecchio contenuto");
  auto sys = platform::file_system_nativo();
  platform::Errore err;
  auto vecchio = std::signal(SIGXFSZ, SIG_IGN);
  rlimit prima{};
  ::getrlimit(RLIMIT_FSIZE, &prima);
  rlimit stretto = prima;
  stretto.rlim_cur = 1000;
  ::setrlimit(RLIMIT_FSIZE, &stretto);
  bool ok = true;
  {
    auto w = sys->crea(f.string(), err);
    ASSERT_TRUE(w);
    std::string grande(100000, 'n');
    ok = w->scrivi(grande.data(), grande.size(), err) && w->conferma(err);
  }
  ::setrlimit(RLIMIT_FSIZE, &prima);
  std::signal(SIGXFSZ, vecchio);
  EXPECT_FALSE(ok);
  EXPECT_EQ(err.file, f.string());
  EXPECT_FALSE(err.motivo.empty());
  EXPECT_EQ(prova::leggi_file(f), "vecchio contenuto");
  EXPECT_EQ(nomi_in(d.path()), std::vector<std::string>{"c.dat"});
}

}  // namespace
