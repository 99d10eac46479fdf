// Addresses of the program's own pages: "res://" + the program file's path + "/" +
// the page's file name. The program path is absolute, so an address reads
// res:///usr/bin/veilbox/index.htm. Relative links inside a page resolve to the same
// program, which is how images and other pages are found.
#pragma once

#include <string>

std::string BuildPageAddress(const std::string& programPath, const std::string& page);

// The resource name an address asks for: the text after the program's own address,
// without query or fragment, percent-escapes decoded ("index.htm", "header.jpg").
// Empty when the address is not one of the program's own; an address for a page of
// the same name in another program file is not ours.
std::string GetResourceNameFromAddress(const std::string& url, const std::string& programPath);

// The page name of a loaded document: the resource name in lower case up to its first
// ".", so "INDEX.HTM" and "index.htm" are both "index". The program's own address is
// matched on the lower-cased address. Empty for anything outside the program, which
// is therefore never filled.
std::string GetPageName(const std::string& url, const std::string& programPath);
