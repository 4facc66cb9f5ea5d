// A synthetic scenario for the benchmarks: a line description and a train run
// of any route length, filled with rows of every kind laid out so that none
// collides with another and the validation pass finds room for every code
// reduction it adds: the build goes through every step with no code.
#pragma once

#include <cstdint>
#include <string>

namespace banco {

// The texts are far longer than a line table holds (1001 lines): they are
// files as an author would write them, lines ending with CR LF.
struct scenario_sintetico {
  std::string linea;  // the line description
  std::string treno;  // the train run
  std::int64_t righe = 0;          // rows placed (curves, gradients, items, stations, …)
  // What the cells must hold afterwards, to check the build went through.
  std::int64_t segnali = 0, rallentamenti = 0, cartelli_v = 0, abbattimenti = 0, stazioni = 0, cartelli = 0;
};

// The scenario for a route of `lunghezza` metres (a multiple of 2000, at most
// 1000000). The route is cut into stretches of 2000 m; every `passo`-th
// stretch (after the first) holds 2 curves, 8 gradients, 2 mountain sections,
// 2 speed indicator boards, 2 speed limits, 2 adhesion values, 2 signals,
// 1 slowdown and 2 code reductions; up to 63 of those stretches also hold a
// station and 15 an indicator sign.
scenario_sintetico genera(std::int32_t lunghezza, int passo = 1);

}  // namespace banco
