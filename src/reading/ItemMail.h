#pragma once

#include <QString>

// What the send dialog is given about the item to mail: the feed's name, the item's title, its
// address (the media URL when it has one) and its description.
struct ItemMail {
    QString channelName;
    QString feedTitle;
    QString itemLink;
    QString itemDescription;
};
