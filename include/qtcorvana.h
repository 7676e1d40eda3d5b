#ifndef QTCORVANA_H
#define QTCORVANA_H

// Umbrella header: includes every public header of the library.

#include "cvcache.h"
#include "cvcacheconfiguration.h"
#include "cvdatafilter.h"
#include "cvlogger.h"
#include "cvutils.h"

#endif // QTCORVANA_H
