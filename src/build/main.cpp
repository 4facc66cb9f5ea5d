// The one-shot builder: started without arguments in the folder where the
// scenario package should appear, it writes the scenario there, compiles it
// and ends.
#include <iostream>

#include "build/build.hpp"
#include "platform/platform.hpp"

int main() {
  auto fs = platform::file_system_nativo();
  auto finestra = platform::finestra_nativa();
  build::ambiente amb{*fs, *finestra, platform::cartella_eseguibile()};
  model::stato_build s;
  build::esito e = build::form_load(s, amb);
  if (e.errore) {
    finestra->messaggio(amb.titolo, e.errore->testo());
  }
  return e.uscita;
}
