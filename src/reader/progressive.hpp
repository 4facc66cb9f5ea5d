// Puts the three kilometric references (slots 81 to 83) in their fixed order.
#pragma once

#include "model/stazioni.hpp"

namespace reader {

void progressive_ordina(model::tabella_stazioni& t);

}  // namespace reader
