// Reading the three binary files back: the inverse of file_binari.cpp, for
// the tools that inspect a build. Every read is checked against the bytes
// that remain, so a truncated or malformed file gives a message that names
// the byte offset where it stops matching the layout, never a read past its
// end. Files are read through small buffers: a plan file of twenty million
// bytes is walked, not loaded.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "model/percorso.hpp"
#include "model/stazioni.hpp"
#include "model/tracciato.hpp"

namespace model {

// Where and why a file does not have its layout.
struct errore_formato {
  std::uint64_t offset = 0;
  std::string motivo;
  std::string testo() const { return "offset " + std::to_string(offset) + ": " + motivo; }
};

// A reading position in a seekable stream of known size, with a buffer of
// its own: two of them can walk the same stream at different places.
class cursore_byte {
 public:
  cursore_byte(std::istream& in, std::uint64_t dimensione, std::uint64_t da = 0);

  std::uint64_t offset() const { return inizio_ + i_; }
  std::uint64_t dimensione() const { return dimensione_; }
  std::uint64_t restanti() const { return dimensione_ - offset(); }
  // True when the stream gave fewer bytes than its size promised.
  bool guasto() const { return guasto_; }

  // Each read takes its bytes only when all of them are there; otherwise it
  // consumes nothing and returns false.
  bool leggi(void* dst, std::size_t n);
  bool u8(std::uint8_t& v);
  bool u16(std::uint16_t& v);
  bool i16(std::int16_t& v);
  bool i32(std::int32_t& v);
  bool f64(double& v);
  bool byte(std::size_t n, std::string& s);
  // Moves to an absolute offset within the file.
  void vai(std::uint64_t offset);

 private:
  bool riempi();

  std::istream& in_;
  std::uint64_t dimensione_;
  std::vector<char> buf_;
  std::uint64_t inizio_ = 0;  // offset of buf_[0]
  std::size_t n_ = 0;         // valid bytes in buf_
  std::size_t i_ = 0;         // next byte in buf_
  bool guasto_ = false;
};

// ---- record file -------------------------------------------------------

// Reads the 87 records. `offsets`, when given, receives where each record
// begins. Bytes after the last record are an error.
bool leggi_record(cursore_byte& c, tabella_stazioni& t, errore_formato& e,
                  std::array<std::uint64_t, numero_voci>* offsets = nullptr);

// ---- cell file ---------------------------------------------------------

// Checks that a cell file of this size is a whole number of cells, at least one.
bool controlla_dimensione_celle(std::uint64_t dimensione, errore_formato& e);
// Reads the cell at the cursor (the caller has checked the size).
bool leggi_cella(cursore_byte& c, cella& out);
// Reads the whole cell file into `p`, cells 0 to size / 15 - 1.
bool leggi_celle(cursore_byte& c, percorso& p, errore_formato& e);

// ---- plan file ---------------------------------------------------------

// One tagged value at the cursor: tag 0 (empty), 2 (16-bit integer) or 5
// (64-bit float).
bool leggi_valore(cursore_byte& c, valore_tracciato& v, errore_formato& e);

// What a first pass over a plan file finds: the file holds all the x values,
// then all the y values, so pairing them needs to know where the y begin.
struct indice_piano {
  std::uint64_t valori = 0;         // tagged values in the file
  std::int64_t punti = 0;           // valori / 2: points 0 to punti - 1
  std::uint64_t inizio_y = 0;       // offset of the y of point 0
  std::array<std::uint64_t, 3> per_tag{};  // values with tag 0, 2 and 5
};

// Walks the whole file once: every tag known, no value cut short, an even
// number of values. Memory stays small whatever the file's size.
bool scandisci_piano(std::istream& in, std::uint64_t dimensione, indice_piano& ip, errore_formato& e);

// The points of a scanned plan file in order, x and y together.
class lettore_piano {
 public:
  lettore_piano(std::istream& in, std::uint64_t dimensione, const indice_piano& ip);
  // The next point; false after the last one, or when the file changed
  // since the scan (then errore() says where).
  bool prossimo(std::int64_t& j, valore_tracciato& x, valore_tracciato& y);
  const errore_formato* errore() const { return errore_.motivo.empty() ? nullptr : &errore_; }

 private:
  cursore_byte cx_, cy_;
  std::int64_t punti_;
  std::int64_t j_ = 0;
  errore_formato errore_;
};

}  // namespace model
