#pragma once
// How the package runner has an installed copy of the product removed before the
// product package runs. The installation sequence, a layer above, provides it.

#include <string>

namespace kelvano {

class EarlierVersionRemoval {
 public:
  virtual ~EarlierVersionRemoval() = default;
  // An empty product code does nothing. False ends the package without running it (the
  // runner's result stays true). May raise; the runner shows the error with Retry.
  virtual bool RemoveEarlierVersion(const std::string& productCode) = 0;
};

}  // namespace kelvano
