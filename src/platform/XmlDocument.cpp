#include "platform/XmlDocument.h"

#include "platform/AtomicFile.h"
#include "platform/TextCodec.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QStringEncoder>
#include <QStringView>

#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

namespace detail {

struct XmlTree {
    pugi::xml_document document;
    // Unnamed element after the root that parents the elements createElement() made and nobody
    // appended yet: pugixml has no detached nodes, and a move needs both ends in one document.
    // Nothing that reads or writes the document looks at it.
    pugi::xml_node holder;
    quint64 revision = 1;
};

} // namespace detail

namespace {

// The parser's defaults keep elements, attributes, text and CDATA, expand only the predefined
// entities and character references, normalise line ends and skip DOCTYPE, comments,
// processing instructions and whitespace-only text. As a fragment, text beside the root element
// is kept too, so that it can be refused.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_fragment;

constexpr std::string_view kDeclaration = R"(<?xml version="1.0" encoding="UTF-8"?>)";

bool isText(const pugi::xml_node &node)
{
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

QString fromUtf8(const char *text)
{
    return QString::fromUtf8(text);
}

// Names that the parser reads back as the same name: no whitespace or markup characters.
bool isWritableName(QStringView name)
{
    const auto allowed = [](char16_t c, bool first) {
        if (c >= 0x80 || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'
            || c == u':')
            return true;
        return !first && ((c >= u'0' && c <= u'9') || c == u'-' || c == u'.');
    };
    if (name.isEmpty())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!allowed(name[i].unicode(), i == 0))
            return false;
    }
    return true;
}

pugi::xml_attribute attributeAt(const pugi::xml_node &node, int index)
{
    if (index < 0)
        return {};
    pugi::xml_attribute attribute = node.first_attribute();
    for (; attribute && index > 0; --index)
        attribute = attribute.next_attribute();
    return attribute;
}

bool holdsOneRootElement(const pugi::xml_document &document)
{
    const pugi::xml_node first = document.first_child();
    return first.type() == pugi::node_element && !first.next_sibling();
}

// What may stand before the first "<" of a document and is passed over: ASCII blanks, line
// breaks and byte-order marks. Text and UTF-8 bytes skip exactly the same.
bool isLeadingBlank(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == 0xFEFF;
}

QStringView withoutLeadingBlanks(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && isLeadingBlank(text[start].unicode()))
        ++start;
    return text.sliced(start);
}

QByteArrayView withoutLeadingBlanks(QByteArrayView bytes)
{
    static constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");
    qsizetype start = 0;
    while (start < bytes.size()) {
        if (isLeadingBlank(char16_t(uchar(bytes[start]))) && uchar(bytes[start]) < 0x80)
            ++start;
        else if (bytes.sliced(start).startsWith(kByteOrderMark))
            start += kByteOrderMark.size();
        else
            break;
    }
    return bytes.sliced(start);
}

// Hands the serialised document to a sink in large chunks, so that a big document is never held
// twice in memory. The writer leaves a carriage return in text as it is, and the parser turns
// CR LF into LF, so each one becomes a character reference; attribute values come with theirs
// escaped already. Inside a CDATA section no reference is possible: the section is closed
// around it.
class EscapingWriter final : public pugi::xml_writer {
public:
    using Sink = std::function<bool(const char *data, qsizetype size)>;

    explicit EscapingWriter(Sink sink)
        : m_sink(std::move(sink))
    {
        m_buffer.reserve(kChunk + 32);
    }

    void write(const void *data, size_t size) override
    {
        const auto *bytes = static_cast<const char *>(data);
        for (size_t i = 0; i < size; ++i)
            put(bytes[i]);
    }

    // Hands over what is left; false when the sink refused any chunk.
    bool finish()
    {
        flush();
        return m_ok;
    }

private:
    static constexpr qsizetype kChunk = 64 * 1024;
    static constexpr std::string_view kOpen = "<![CDATA[";
    static constexpr std::string_view kClose = "]]>";

    void put(char c)
    {
        if (c == '\r') {
            m_buffer.append(m_inCdata ? "]]>&#13;<![CDATA[" : "&#13;");
        } else {
            m_buffer.append(c);
            track(c);
        }
        if (m_buffer.size() >= kChunk)
            flush();
    }

    // Follows the start and end of CDATA sections across chunk boundaries. Markup characters in
    // names and text are escaped, so these sequences only ever start or end sections.
    void track(char c)
    {
        const std::string_view marker = m_inCdata ? kClose : kOpen;
        if (c == marker[m_matched]) {
            if (++m_matched == marker.size()) {
                m_inCdata = !m_inCdata;
                m_matched = 0;
            }
        } else if (m_inCdata && c == ']' && m_matched == 2) {
            // "]]]": the last two still start a closing marker
        } else {
            m_matched = (c == marker[0]) ? 1 : 0;
        }
    }

    void flush()
    {
        if (!m_buffer.isEmpty() && m_ok)
            m_ok = m_sink(m_buffer.constData(), m_buffer.size());
        m_buffer.clear();
    }

    Sink m_sink;
    QByteArray m_buffer;
    bool m_inCdata = false;
    size_t m_matched = 0;
    bool m_ok = true;
};

class TextCollector final : public pugi::xml_tree_walker {
public:
    bool for_each(pugi::xml_node &node) override
    {
        if (isText(node))
            text += node.value();
        return true;
    }
    std::string text;
};

// Steps of a path pattern, matched from the last step up through the ancestors.
class PathMatcher final : public pugi::xml_tree_walker {
public:
    PathMatcher(std::vector<std::string> steps, bool fromRoot)
        : m_steps(std::move(steps))
        , m_fromRoot(fromRoot)
    {
    }

    [[nodiscard]] bool matches(pugi::xml_node node) const
    {
        for (auto step = m_steps.rbegin(); step != m_steps.rend(); ++step) {
            if (node.type() != pugi::node_element || *step != node.name())
                return false;
            node = node.parent();
        }
        return !m_fromRoot || node.type() == pugi::node_document;
    }

    bool for_each(pugi::xml_node &node) override
    {
        if (!matches(node))
            return true;
        found = node;
        return false;
    }

    pugi::xml_node found;

private:
    std::vector<std::string> m_steps;
    bool m_fromRoot;
};

// ".//a/b" (or "//a/b") starts anywhere; "a/b" or "/a/b" at the root element. Null when a step
// is empty.
std::unique_ptr<PathMatcher> parsePattern(QStringView pattern)
{
    bool fromRoot = true;
    if (pattern.startsWith(u".//")) {
        pattern = pattern.sliced(3);
        fromRoot = false;
    } else if (pattern.startsWith(u"//")) {
        pattern = pattern.sliced(2);
        fromRoot = false;
    } else if (pattern.startsWith(u'/')) {
        pattern = pattern.sliced(1);
    }
    std::vector<std::string> steps;
    for (const QStringView step : pattern.split(u'/')) {
        if (step.isEmpty())
            return nullptr;
        steps.push_back(step.toUtf8().toStdString());
    }
    return std::make_unique<PathMatcher>(std::move(steps), fromRoot);
}

} // namespace

// ---- XmlNode -------------------------------------------------------------------------------

quint64 XmlNode::revision() const
{
    return m_tree ? m_tree->revision : 0;
}

void XmlNode::noteChange() const
{
    if (m_tree)
        ++m_tree->revision;
}

QString XmlNode::name() const
{
    return fromUtf8(m_node.name());
}

bool XmlNode::isElement() const
{
    return m_node.type() == pugi::node_element;
}

XmlNode XmlNode::parent() const
{
    const pugi::xml_node up = m_node.parent();
    if (up.type() != pugi::node_element || (m_tree && up == m_tree->holder))
        return {};
    return wrap(up);
}

QString XmlNode::text() const
{
    if (isText(m_node))
        return fromUtf8(m_node.value());
    TextCollector collector;
    pugi::xml_node(m_node).traverse(collector);
    return QString::fromStdString(collector.text);
}

void XmlNode::setText(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    if (isText(m_node)) {
        m_node.set_value(utf8.constData(), static_cast<size_t>(utf8.size()));
        return;
    }
    if (!isElement())
        return;
    m_node.remove_children();
    if (!utf8.isEmpty())
        m_node.append_child(pugi::node_pcdata)
            .set_value(utf8.constData(), static_cast<size_t>(utf8.size()));
    noteChange();
}

int XmlNode::childCount() const
{
    if (m_childCount >= 0 && m_childCountRevision == revision())
        return m_childCount;
    int count = 0;
    for (pugi::xml_node node = m_node.first_child(); node; node = node.next_sibling())
        ++count;
    m_childCount = count;
    m_childCountRevision = revision();
    return count;
}

XmlNode XmlNode::child(int index) const
{
    if (!m_node || index < 0)
        return {};
    pugi::xml_node node = m_node.first_child();
    int position = 0;
    if (m_cursor && m_cursorRevision == revision() && m_cursorIndex <= index) {
        node = m_cursor;
        position = m_cursorIndex;
    }
    for (; node && position < index; ++position)
        node = node.next_sibling();
    if (!node)
        return {};
    m_cursor = node;
    m_cursorIndex = index;
    m_cursorRevision = revision();
    return wrap(node);
}

std::vector<XmlNode> XmlNode::children() const
{
    std::vector<XmlNode> result;
    for (pugi::xml_node node = m_node.first_child(); node; node = node.next_sibling())
        result.push_back(wrap(node));
    return result;
}

bool XmlNode::hasChildNodes() const
{
    return static_cast<bool>(m_node.first_child());
}

int XmlNode::attributeCount() const
{
    int count = 0;
    for (pugi::xml_attribute attribute = m_node.first_attribute(); attribute;
         attribute = attribute.next_attribute())
        ++count;
    return count;
}

QString XmlNode::attributeName(int index) const
{
    return fromUtf8(attributeAt(m_node, index).name());
}

QString XmlNode::attributeValue(int index) const
{
    return fromUtf8(attributeAt(m_node, index).value());
}

QString XmlNode::attribute(const QString &name) const
{
    return fromUtf8(m_node.attribute(name.toUtf8().constData()).value());
}

void XmlNode::setAttribute(const QString &name, const QString &value)
{
    if (!isElement() || !isWritableName(name))
        return;
    const QByteArray utf8Name = name.toUtf8();
    pugi::xml_attribute attribute = m_node.attribute(utf8Name.constData());
    if (!attribute)
        attribute = m_node.append_attribute(utf8Name.constData());
    const QByteArray utf8Value = value.toUtf8();
    attribute.set_value(utf8Value.constData(), static_cast<size_t>(utf8Value.size()));
}

void XmlNode::removeAttribute(const QString &name)
{
    if (isElement())
        m_node.remove_attribute(name.toUtf8().constData());
}

XmlNode XmlNode::appendChild(XmlNode node)
{
    if (!isElement() || !node)
        return {};
    const bool sameDocument = node.m_node.root() == m_node.root();
    const pugi::xml_node placed
        = sameDocument ? m_node.append_move(node.m_node) : m_node.append_copy(node.m_node);
    if (!placed)
        return {};
    noteChange();
    return wrap(placed);
}

void XmlNode::removeChild(XmlNode node)
{
    if (node && m_node.remove_child(node.m_node))
        noteChange();
}

// ---- XmlDocument ---------------------------------------------------------------------------

XmlDocument::XmlDocument()
    : m_tree(std::make_unique<detail::XmlTree>())
{
}

XmlDocument::~XmlDocument() = default;
XmlDocument::XmlDocument(XmlDocument &&other) noexcept = default;
XmlDocument &XmlDocument::operator=(XmlDocument &&other) noexcept = default;

void XmlDocument::clear()
{
    m_tree->document.reset();
    m_tree->holder = {};
    ++m_tree->revision;
}

XmlNode XmlDocument::wrap(pugi::xml_node node) const
{
    return {node, m_tree.get()};
}

pugi::xml_node XmlDocument::rootElement() const
{
    for (pugi::xml_node node = m_tree->document.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element && node != m_tree->holder)
            return node;
    }
    return {};
}

bool XmlDocument::load(const QString &path)
{
    clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    // The program's own files are UTF-8: parse their bytes as they are, without a detour
    // through a decoded copy of the whole text.
    const auto byteOrder = QStringConverter::encodingForData(bytes, u'<');
    const QByteArray declared = encodingOfXmlDeclaration(bytes).toLower();
    if ((!byteOrder || *byteOrder == QStringConverter::Utf8)
        && (declared.isEmpty() || declared == "utf-8") && bytes.isValidUtf8())
        return parseUtf8(bytes);
    return loadXML(decodeDocument(bytes));
}

bool XmlDocument::loadXML(const QString &text)
{
    clear();
    // toUtf8 is vectorised; encoding into a buffer of the exact size costs a second pass.
    return parseUtf8(withoutLeadingBlanks(text).toUtf8());
}

bool XmlDocument::loadUtf8(QByteArrayView bytes)
{
    clear();
    return parseUtf8(bytes);
}

bool XmlDocument::parseUtf8(QByteArrayView bytes)
{
    const QByteArrayView body = withoutLeadingBlanks(bytes);
    auto *buffer = static_cast<char *>(
        pugi::get_memory_allocation_function()(body.size() > 0 ? size_t(body.size()) : 1));
    if (!buffer)
        return false;
    if (!body.isEmpty())
        std::memcpy(buffer, body.data(), size_t(body.size()));
    return parseOwnBuffer(buffer, size_t(body.size()));
}

bool XmlDocument::parseOwnBuffer(char *buffer, size_t size)
{
    const pugi::xml_parse_result result = m_tree->document.load_buffer_inplace_own(
        buffer, size, kParseOptions, pugi::encoding_utf8);
    if (result && holdsOneRootElement(m_tree->document))
        return true;
    clear();
    return false;
}

bool XmlDocument::write(const std::function<bool(const char *, qsizetype)> &sink) const
{
    const pugi::xml_node root = rootElement();
    if (!root)
        return false;
    if (!sink(kDeclaration.data(), static_cast<qsizetype>(kDeclaration.size())))
        return false;
    EscapingWriter writer(sink);
    // Raw: whitespace added between elements would not be part of any text the program wrote,
    // and the bytes stay the same from one save to the next.
    root.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return writer.finish();
}

bool XmlDocument::save(const QString &path, QString *error) const
{
    if (!rootElement()) {
        if (error)
            *error = QStringLiteral("The document has no root element.");
        return false;
    }
    const WriteResult result = writeFileAtomically(path, [this](QIODevice &file) {
        return write(
            [&file](const char *data, qsizetype size) { return file.write(data, size) == size; });
    });
    if (!result.ok && error)
        *error = result.errorText;
    return result.ok;
}

QString XmlDocument::xml() const
{
    QByteArray bytes;
    write([&bytes](const char *data, qsizetype size) {
        bytes.append(data, size);
        return true;
    });
    return QString::fromUtf8(bytes);
}

XmlNode XmlDocument::selectSingleNode(const QString &pattern) const
{
    const auto matcher = parsePattern(pattern);
    pugi::xml_node root = rootElement();
    if (!matcher || !root)
        return {};
    if (matcher->matches(root))
        return wrap(root);
    root.traverse(*matcher);
    return wrap(matcher->found);
}

XmlNode XmlDocument::createElement(const QString &name)
{
    if (!isWritableName(name))
        return {};
    if (!m_tree->holder)
        m_tree->holder = m_tree->document.append_child(pugi::node_element);
    return wrap(m_tree->holder.append_child(name.toUtf8().constData()));
}

XmlNode XmlDocument::documentElement() const
{
    return wrap(rootElement());
}

bool XmlDocument::isEmpty() const
{
    return !rootElement();
}

} // namespace platform
