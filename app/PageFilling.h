// What the program writes into its pages once they have loaded: the version and the
// hide or restore panel on the main page, the outcome on the result pages. The window
// only carries these texts into the page's elements.
#pragma once

#include <string>
#include <vector>

struct ElementFilling {
    std::string id;    // the element's id in the page
    std::string html;  // its new inner HTML
};

// The fillings of a page by its page name ("index", "done", "error"), in the order
// they are set; none for every other page. The hidden state and the result code are
// read at the moment of the call, so a page tells the state that holds when it shows.
std::vector<ElementFilling> GetPageFillings(const std::string& pageName);

// The text of an HTML resource found by number (the panels 141 and 142), with its
// exact stored length; empty when there is none.
std::string LoadHtmlResource(unsigned id);

constexpr unsigned HidePanelId = 141;
constexpr unsigned RestorePanelId = 142;
