// SPDX-License-Identifier: GPL-3.0-or-later
#include "cards/CurlLibrary.h"

#include <QLibrary>

namespace useropts {

namespace {

template <typename Function> bool resolve(QLibrary& library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

CurlLibrary load()
{
    CurlLibrary curl;
    // The version of the ABI the headers were made for; Debian's libcurl4.
    QLibrary library(QStringLiteral("curl"), 4);
    if (!library.load()) {
        curl.failure = QStringLiteral("libcurl could not be loaded (%1); it comes with the Debian "
                                      "package libcurl4")
                           .arg(library.errorString());
        return curl;
    }
    const bool whole = resolve(library, "curl_global_init", curl.global_init) &&
                       resolve(library, "curl_easy_init", curl.easy_init) &&
                       resolve(library, "curl_easy_setopt", curl.easy_setopt) &&
                       resolve(library, "curl_easy_getinfo", curl.easy_getinfo) &&
                       resolve(library, "curl_easy_strerror", curl.easy_strerror) &&
                       resolve(library, "curl_easy_cleanup", curl.easy_cleanup) &&
                       resolve(library, "curl_multi_init", curl.multi_init) &&
                       resolve(library, "curl_multi_setopt", curl.multi_setopt) &&
                       resolve(library, "curl_multi_add_handle", curl.multi_add_handle) &&
                       resolve(library, "curl_multi_remove_handle", curl.multi_remove_handle) &&
                       resolve(library, "curl_multi_socket_action", curl.multi_socket_action) &&
                       resolve(library, "curl_multi_info_read", curl.multi_info_read) &&
                       resolve(library, "curl_multi_cleanup", curl.multi_cleanup) &&
                       resolve(library, "curl_slist_append", curl.slist_append) &&
                       resolve(library, "curl_slist_free_all", curl.slist_free_all);
    if (!whole) {
        curl.failure = QStringLiteral("the libcurl installed is too old for the card list update "
                                      "(%1)")
                           .arg(library.errorString());
    }
    return curl; // the library stays loaded: QLibrary does not unload on destruction
}

} // namespace

const CurlLibrary& CurlLibrary::get()
{
    static const CurlLibrary curl = load();
    return curl;
}

} // namespace useropts
