// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cards/CurlTransfer.h"
#include "common/Result.h"

#include <QNetworkProxy>
#include <QUrl>

namespace useropts {

// Why a transfer for address, through proxy, brought no card list, naming
// what failed: the proxy, the certificate, the answer or the connection.
Failure describeFailure(const CurlTransfer& transfer, const QUrl& address,
                        const QNetworkProxy& proxy);

} // namespace useropts
