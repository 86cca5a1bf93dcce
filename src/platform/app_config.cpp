#include "app_config.h"

namespace orvane::config {

const char version[] = ORVANE_VERSION;
const bool updateChecks = ORVANE_UPDATE_CHECKS;

} // namespace orvane::config
