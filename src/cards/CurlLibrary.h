// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <curl/curl.h>

namespace useropts {

// libcurl's functions, loaded when the first download starts rather than
// with the program: libcurl brings some twenty libraries, which every start
// of the editor would pay for, for a button most starts never see pressed.
struct CurlLibrary
{
    decltype(&::curl_global_init) global_init = nullptr;
    decltype(&::curl_easy_init) easy_init = nullptr;
    decltype(&::curl_easy_setopt) easy_setopt = nullptr;
    decltype(&::curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&::curl_easy_strerror) easy_strerror = nullptr;
    decltype(&::curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&::curl_multi_init) multi_init = nullptr;
    decltype(&::curl_multi_setopt) multi_setopt = nullptr;
    decltype(&::curl_multi_add_handle) multi_add_handle = nullptr;
    decltype(&::curl_multi_remove_handle) multi_remove_handle = nullptr;
    decltype(&::curl_multi_socket_action) multi_socket_action = nullptr;
    decltype(&::curl_multi_info_read) multi_info_read = nullptr;
    decltype(&::curl_multi_cleanup) multi_cleanup = nullptr;
    decltype(&::curl_slist_append) slist_append = nullptr;
    decltype(&::curl_slist_free_all) slist_free_all = nullptr;

    // Why it could not be loaded, or empty once every function is at hand.
    QString failure;

    // Loaded once, on the first call, and kept for the program's life.
    static const CurlLibrary& get();
};

} // namespace useropts
