#ifndef QTCORVANA_H
#define QTCORVANA_H

// Umbrella header: includes every public header of the library.

#include "cvaction.h"
#include "cvalbum.h"
#include "cvattachment.h"
#include "cvcache.h"
#include "cvcacheconfiguration.h"
#include "cvcheckin.h"
#include "cvdataconverter.h"
#include "cvdatafilter.h"
#include "cvevent.h"
#include "cvgroup.h"
#include "cvimage.h"
#include "cvlinkinfo.h"
#include "cvlocation.h"
#include "cvlogger.h"
#include "cvmedia.h"
#include "cvmessage.h"
#include "cvnotification.h"
#include "cvnotifications.h"
#include "cvobject.h"
#include "cvpage.h"
#include "cvphoto.h"
#include "cvplace.h"
#include "cvpost.h"
#include "cvtag.h"
#include "cvthread.h"
#include "cvtypes.h"
#include "cvuser.h"
#include "cvuserref.h"
#include "cvutils.h"
#include "cvvideo.h"
#include "cvwallpostinfo.h"

#endif // QTCORVANA_H
