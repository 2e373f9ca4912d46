// Small helpers shared by the services' tests.
#pragma once

#include "support/test_environment.h"

namespace morvane::services::testing {

using morvane::testing::ScopedEnv;

}  // namespace morvane::services::testing
