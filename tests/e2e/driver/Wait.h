#pragma once
// The driver waits as every test does (common/Wait.h).

#include "common/Wait.h"

namespace e2e {
using ::kDefaultTimeout;
using ::Timeout;
using ::WaitUntil;
} // namespace e2e
