#include "unzip/zip_names.h"

namespace kelvano {

const NameRules kSystemNameRules = NameRules::Portable;

}  // namespace kelvano
