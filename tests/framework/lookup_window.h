// The lookup edit's demo window, under the name the tests use.
#pragma once
#include "framework/lookupdemo.h"

namespace yz::test {
using TfrmLookupTest = TfrmLookupDemo;
}  // namespace yz::test
