# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the web page from its template, with the program's version and the size of its module:
#   cmake -DTEMPLATE=index.html.in -DPAGE=index.html -DVERSION=1.0.0 -DMODULE=borvane.wasm -P page.cmake
file(SIZE "${MODULE}" MODULE_BYTES)
configure_file("${TEMPLATE}" "${PAGE}" @ONLY)
