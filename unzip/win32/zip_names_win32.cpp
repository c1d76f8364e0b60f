#include "unzip/zip_names.h"

namespace kelvano {

const NameRules kSystemNameRules = NameRules::Windows;

}  // namespace kelvano
