#ifndef CVREDACT_P_H
#define CVREDACT_P_H

#include "cvautotest_p.h"

#include <QString>

namespace Cv {

/*
 * Secrets that no line of output and no error text may show: the access tokens of the live
 * transports. Each add is matched by one remove; a secret stays registered while any holder
 * lives.
 */
void cvAddSecret(const QString &secret);
void cvRemoveSecret(const QString &secret);
// The first four characters of \a secret followed by an ellipsis: the only form ever shown.
QString cvRedactedSecret(const QString &secret);
// \a text with every registered secret and \a extra, verbatim or percent-encoded, and every
// access_token query value replaced by their redacted form. Every written line passes here.
// Exported in a developer build for the redaction fuzz harness.
CV_AUTOTEST_EXPORT QString cvRedacted(const QString &text, const QString &extra = QString());

} // namespace Cv

#endif // CVREDACT_P_H
