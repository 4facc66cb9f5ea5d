// The page of notes for the driver: nine lines of free text, written as they
// stand (no wrapping, no padding).
#include "scenario/scenario.hpp"

namespace scenario {
namespace {

constexpr std::string_view righe[] = {
    "Il treno regionale 47093 parte da LORVENA alle 12:30 e arriva a CASTIRO alle 14:32 ; si sale per tutta la valle fino al Frèjus e",
    "in somma due ore di divertimento ; questo treno ferma in tutte le stazioni no ferma Exilles Beaulard.",
    "Dopo BUSSOLENO comincia la salita : state attenti al reostato della locomotiva, non restate troppo a lungo sulle posizioni",
    "di avviamento altrimenti le resistenze si scaldano ; sulle rampe usate la sabbia se le ruote slittano.",
    "Dopo BARDONECCHIA si entra nella galleria del Frèjus, 13657 metri, con un rallentamento a 50 km/h presso P.C Terres froides ;",
    "all'uscita della galleria la linea scende verso la Francia : frenate per tempo e rispettate i cartelli fino a CASTIRO, che",
    "e la fine del vostro viaggio .",
    "Allora buona guida !",
    "scenari.valle@example.it",
    "riferimento fine del file",
};

}  // namespace

std::span<const std::string_view> tabella_note() { return righe; }

}  // namespace scenario
