#include "build/codici.hpp"

namespace build {

std::string_view spiegazione(std::int32_t codice) {
  switch (codice) {
    case 0: return "";
    case 1: return "route length is negative or above 1000000 m";
    case 2: return "a kilometric reference position or value is not a multiple of 50 m";
    case 3: return "first signal repetition position is not a multiple of 50 m";
    case 4: return "second signal repetition position is not a multiple of 50 m";
    case 5: return "signal repetition keyword holds neither \"4\" nor \"9\"";
    case 6: return "indicator sign on a cell that is not free, or no sign slot left";
    case 7: return "code reduction on a cell that is not free";
    case 8: return "station position is not a multiple of 50 m";
    case 9: return "station length is not a multiple of 100 m";
    case 10: return "too many stations: they would reach the indicator sign slots";
    case 11: return "no cell for an automatic code reduction before a signal ahead of a slowdown warning";
    case 12: return "no free cell in a window ahead of a slowdown's start";
    case 13: return "no free cell for an automatic code reduction inside or after a slowdown";
    case 15: return "a row's position lies beyond the end of the cell table";
    case 16: return "signal on a cell that is not free";
    case 17: return "slowdown warning cell is not free";
    case 18: return "slowdown start cell is not free";
    case 19: return "slowdown end cell is not free";
    case 20: return "slowdown warning-zone cells are not free";
    case 21: return "speed indicator board on a cell that is not free";
    case 22: return "station area begins less than 350 m after the previous station's end";
    case 24: return "station stop cell would be cell 1 or below, or beyond the table";
    case 25: return "a text is missing or unreadable, a row is cut short, or a number does not fit its field";
    case 101: return "the line description text does not exist";
    case 102: return "no \"[generale]\" item in the line description";
    case 103: return "bad curve keyword, or the plan exceeds 1000000 points";
    case 104: return "the line description has no route length row";
    case 1250: return "a reserved place for a fixed value is taken (something lies in cell 1)";
    case 1251: return "a reserved code place is taken (something lies in cell 1)";
    default: return "unknown code";
  }
}

}  // namespace build
