// POSIX implementation: the waiting window is the line "Attendere" on stdout,
// the message box is the message on stderr, waited for with Enter only when
// someone is at the terminal.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/platform.hpp"

namespace platform {
namespace {

std::string motivo_da_errno(int e) { return std::strerror(e); }

class FilePosix final : public FileInScrittura {
 public:
  FilePosix(std::string destinazione, std::string temporaneo, int fd)
      : destinazione_(std::move(destinazione)), temporaneo_(std::move(temporaneo)), fd_(fd) {}
  ~FilePosix() override {
    if (fd_ >= 0) ::close(fd_);
    if (!confermato_) ::unlink(temporaneo_.c_str());
  }

  bool scrivi(const void* dati, std::size_t n, Errore& err) override {
    const char* p = static_cast<const char*>(dati);
    while (n > 0) {
      ssize_t w = ::write(fd_, p, n);
      if (w < 0) {
        if (errno == EINTR) continue;
        err = {destinazione_, motivo_da_errno(errno)};
        return false;
      }
      p += w;
      n -= static_cast<std::size_t>(w);
    }
    return true;
  }

  bool conferma(Errore& err) override {
    if (::fsync(fd_) != 0 && errno != EINVAL) {
      err = {destinazione_, motivo_da_errno(errno)};
      return false;
    }
    int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0) {
      err = {destinazione_, motivo_da_errno(errno)};
      return false;
    }
    if (::rename(temporaneo_.c_str(), destinazione_.c_str()) != 0) {
      err = {destinazione_, motivo_da_errno(errno)};
      return false;
    }
    confermato_ = true;
    return true;
  }

 private:
  std::string destinazione_;
  std::string temporaneo_;
  int fd_;
  bool confermato_ = false;
};

class FileSystemPosix final : public FileSystem {
 public:
  bool esiste(const std::string& percorso) override {
    struct stat st;
    return ::stat(percorso.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  }

  bool leggi(const std::string& percorso, std::string& byte, Errore& err) override {
    int fd = ::open(percorso.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      err = {percorso, motivo_da_errno(errno)};
      return false;
    }
    byte.clear();
    char buf[65536];
    for (;;) {
      ssize_t r = ::read(fd, buf, sizeof buf);
      if (r < 0) {
        if (errno == EINTR) continue;
        err = {percorso, motivo_da_errno(errno)};
        ::close(fd);
        return false;
      }
      if (r == 0) break;
      byte.append(buf, static_cast<std::size_t>(r));
    }
    ::close(fd);
    return true;
  }

  std::unique_ptr<FileInScrittura> crea(const std::string& percorso, Errore& err) override {
    struct stat st;
    if (::stat(percorso.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      err = {percorso, motivo_da_errno(EISDIR)};
      return nullptr;
    }
    // A file marked read-only (no write permission for anyone) is not
    // replaced, as on Windows, whoever runs the build: root included.
    if (::stat(percorso.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
      err = {percorso, "read-only file: " + motivo_da_errno(EACCES)};
      return nullptr;
    }
    std::string modello = percorso + ".tmp-XXXXXX";
    int fd = ::mkostemp(modello.data(), O_CLOEXEC);
    if (fd < 0) {
      err = {percorso, motivo_da_errno(errno)};
      return nullptr;
    }
    // mkostemp makes the file private; give it the usual permissions.
    mode_t maschera = ::umask(0);
    ::umask(maschera);
    ::fchmod(fd, 0666 & ~maschera);
    return std::make_unique<FilePosix>(percorso, modello, fd);
  }

  bool cancella(const std::string& percorso, Errore& err) override {
    if (::unlink(percorso.c_str()) != 0) {
      err = {percorso, motivo_da_errno(errno)};
      return false;
    }
    return true;
  }
};

class FinestraPosix final : public Finestra {
 public:
  void mostra_attesa(std::string_view) override {
    std::cout << "Attendere" << std::endl;
  }
  void messaggio(std::string_view titolo, std::string_view testo) override {
    std::cerr << titolo << ":" << testo << std::endl;
    if (::isatty(STDIN_FILENO)) {
      std::cerr << "[OK: premere Invio]" << std::flush;
      std::string riga;
      std::getline(std::cin, riga);
    }
  }
  void chiudi() override {}
};

}  // namespace

std::unique_ptr<FileSystem> file_system_nativo() { return std::make_unique<FileSystemPosix>(); }
std::unique_ptr<Finestra> finestra_nativa() { return std::make_unique<FinestraPosix>(); }

std::string cartella_eseguibile() {
  std::string buf(PATH_MAX, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0) return ".";
  buf.resize(static_cast<std::size_t>(n));
  auto pos = buf.rfind('/');
  if (pos == std::string::npos) return ".";
  if (pos == 0) return "/";
  return buf.substr(0, pos);
}

}  // namespace platform
