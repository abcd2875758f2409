// What Remove does: the chosen scripts in list order, then the product.
#include "engine/Install.h"

namespace engine {

RemovalOutcome Install::ok_Click() { return {}; }

}  // namespace engine
