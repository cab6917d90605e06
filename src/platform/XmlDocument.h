#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <pugixml.hpp>

#include <functional>
#include <memory>
#include <vector>

namespace platform {

class XmlDocument;

namespace detail {
struct XmlTree;
}

// A handle to a node of an XmlDocument: an element, or a text or CDATA child of one. Like a
// pugi::xml_node it is cheap to copy, may be null, and dies with its document; a node removed
// with removeChild() (and everything below it) is gone, and handles to it must not be used.
//
// Names are the qualified names as written ("itunes:summary"); no namespace is resolved. Text
// and CDATA nodes have an empty name.
class XmlNode {
public:
    XmlNode() = default;

    [[nodiscard]] explicit operator bool() const { return static_cast<bool>(m_node); }
    [[nodiscard]] bool operator==(const XmlNode &other) const { return m_node == other.m_node; }

    [[nodiscard]] QString name() const;
    [[nodiscard]] bool isElement() const;

    // The parent element; null for the document element and for an element that createElement()
    // made and that is not appended yet.
    [[nodiscard]] XmlNode parent() const;

    // The text of this node and of all its descendants (text and CDATA), joined in document
    // order, exactly as parsed: nothing trimmed.
    [[nodiscard]] QString text() const;
    // Replaces the whole content of an element by one text node (by nothing when the text is
    // empty), or the text of a text node.
    void setText(const QString &text);

    // Child nodes (elements, text and CDATA) in document order. child(i) remembers where the
    // previous call stopped, so a loop over i = 0 .. childCount() - 1 on one handle is linear.
    [[nodiscard]] int childCount() const;
    [[nodiscard]] XmlNode child(int index) const; // null when out of range
    [[nodiscard]] std::vector<XmlNode> children() const;
    [[nodiscard]] bool hasChildNodes() const;

    // Attributes by position, in the order in which they stand in the document or were created.
    // A position out of range gives empty text.
    [[nodiscard]] int attributeCount() const;
    [[nodiscard]] QString attributeName(int index) const;
    [[nodiscard]] QString attributeValue(int index) const;
    // Value of the attribute with that name as written; empty when there is none.
    [[nodiscard]] QString attribute(const QString &name) const;
    // An existing attribute keeps its position and takes the value; a new one goes last.
    // Ignored on anything but an element, or for a name that cannot be written as XML.
    void setAttribute(const QString &name, const QString &value);
    // The attributes after it move up one place.
    void removeAttribute(const QString &name);

    // Makes the node this element's last child and returns it. A node of the same document is
    // moved (from its parent, or from where createElement() left it), never copied; a node of
    // another document is copied and the copy is returned. Null, and nothing changes, when this
    // is not an element or the node is this element or one of its ancestors.
    XmlNode appendChild(XmlNode node);
    // Removes a child of this node with its whole subtree; anything else is ignored.
    void removeChild(XmlNode node);

private:
    friend class XmlDocument;

    XmlNode(pugi::xml_node node, detail::XmlTree *tree)
        : m_node(node)
        , m_tree(tree)
    {
    }
    [[nodiscard]] XmlNode wrap(pugi::xml_node node) const { return {node, m_tree}; }
    [[nodiscard]] quint64 revision() const;
    void noteChange() const;

    pugi::xml_node m_node;
    // The document's tree. Its count of changes to child lists tells whether the child cursor
    // and the cached count below still hold: a removed node's memory is freed.
    detail::XmlTree *m_tree = nullptr;

    mutable pugi::xml_node m_cursor;
    mutable int m_cursorIndex = 0;
    mutable quint64 m_cursorRevision = 0;
    mutable int m_childCount = -1;
    mutable quint64 m_childCountRevision = 0;
};

// One parsed XML document: feeds.fdb, an item file, or a fetched feed.
//
// Parsing keeps elements, their attributes in document order, text and CDATA. Comments,
// processing instructions, the XML declaration and whitespace-only text are dropped. A
// DOCTYPE is skipped unread: no DTD is processed and no entity is expanded besides the five
// predefined ones and numeric character references (an unknown reference such as "&nbsp;"
// stays as literal text), so a document can neither read other files nor grow on expansion.
//
// Not copyable; movable. A moved-from document may only be destroyed or assigned to. Node
// handles stay valid across a move.
class XmlDocument {
public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(XmlDocument &&other) noexcept;
    XmlDocument &operator=(XmlDocument &&other) noexcept;
    XmlDocument(const XmlDocument &) = delete;
    XmlDocument &operator=(const XmlDocument &) = delete;

    // Reads the file and parses it. Its charset comes from a byte-order mark, then the XML
    // declaration, then UTF-8 when the bytes are valid UTF-8, else Windows-1252. False, and an
    // empty document, when the file cannot be read or is not well-formed.
    [[nodiscard]] bool load(const QString &path);

    // Parses text that is known to be UTF-8, as the program keeps fetched documents: the same as
    // loadXML of the decoded text without making that copy. A UTF-8 byte-order mark and blanks
    // before the first "<" are ignored.
    [[nodiscard]] bool loadUtf8(QByteArrayView bytes);

    // Parses text that is already decoded: an encoding named by its declaration is ignored.
    // Whitespace and byte-order marks before the first "<" are ignored. Well-formed means
    // exactly one root element and no text beside it. False, and an empty document, otherwise.
    [[nodiscard]] bool loadXML(const QString &text);

    // Replaces the file with the document as UTF-8 XML: an XML declaration and then the root
    // element, with no whitespace added between nodes. A carriage return in text is written as
    // a character reference so that it reads back. The file is replaced only once all bytes are
    // written (temporary file and rename), so a failed save leaves the previous file. False when
    // the write fails or the document has no root element (the file is then not touched); the
    // reason then goes to *error when given.
    [[nodiscard]] bool save(const QString &path, QString *error = nullptr) const;

    // The serialised document as save() writes it; empty for an empty document.
    [[nodiscard]] QString xml() const;

    // The first element in document order that matches the pattern, or null. ".//a/b/c" matches
    // an element named c whose parent is named b and whose grandparent is named a, the a being
    // at any depth (the root element included). Without the leading ".//" ("a/b/c" or
    // "/a/b/c"), a must be the root element. Names compare case-sensitively as written, prefix
    // included; a pattern with an empty step matches nothing.
    [[nodiscard]] XmlNode selectSingleNode(const QString &pattern) const;

    // A new element outside the tree, to be placed with appendChild(). Null for a name that
    // cannot be written as XML (empty, or holding whitespace or markup characters). An element
    // never appended is not part of the document: it is neither saved nor found.
    [[nodiscard]] XmlNode createElement(const QString &name);

    [[nodiscard]] XmlNode documentElement() const;
    // True when there is no root element (nothing loaded, or the last load failed).
    [[nodiscard]] bool isEmpty() const;

private:
    void clear();
    [[nodiscard]] XmlNode wrap(pugi::xml_node node) const;
    [[nodiscard]] pugi::xml_node rootElement() const;
    // Parses UTF-8 bytes (leading blanks skipped), or takes over a buffer from pugixml's
    // allocator that holds the UTF-8 text.
    [[nodiscard]] bool parseUtf8(QByteArrayView bytes);
    [[nodiscard]] bool parseOwnBuffer(char *buffer, size_t size);
    // Hands the serialised document to the sink chunk by chunk; false when it refused one or
    // there is no root element.
    bool write(const std::function<bool(const char *, qsizetype)> &sink) const;

    std::unique_ptr<detail::XmlTree> m_tree;
};

} // namespace platform
