#include "support/DefaultsStore.h"

namespace moravel {

DefaultsStore::~DefaultsStore() = default;

}  // namespace moravel
