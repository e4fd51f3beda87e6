#include "BinaryGroup.h"

CBinaryGroup::~CBinaryGroup() = default;
