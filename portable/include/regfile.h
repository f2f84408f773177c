// The .reg file model's old header name, still included by the fuzz target;
// reg_format.h is the header.
#pragma once

#include "reg_format.h"
