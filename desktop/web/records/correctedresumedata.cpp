#include "correctedresumedata.h"

#include <plist/plist.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace correctedresumedata {

namespace {

constexpr char kObjectsKey[] = "$objects";
constexpr char kTopKey[] = "$top";
constexpr char kClassKey[] = "$class";
constexpr char kClassNameKey[] = "$classname";
constexpr char kRootObjectKey[] = "root"; // the archiver's own root key
constexpr char kLiteralRootKey[] = "NSKeyedArchiveRootObjectKey";
constexpr char kLongKeyFormat[] = "__nsurlrequest_proto_prop_obj_%1";
constexpr char kPropsKey[] = "__nsurlrequest_proto_props";
// The property dictionary of the request is the second archived object.
constexpr uint32_t kPropertiesIndex = 1;
// How far the URL of a request is looked for among the objects it refers to.
constexpr int kMaxObjectsVisited = 4096;

Plist own(plist_t node) {
    return Plist(node, [](void* p) {
        if (p) plist_free(static_cast<plist_t>(p));
    });
}

// The XML form of a UID: a dictionary of the one key "CF$UID" with an integer.
std::optional<uint64_t> xmlUid(plist_t node) {
    if (!node || plist_get_node_type(node) != PLIST_DICT || plist_dict_get_size(node) != 1) return std::nullopt;
    const plist_t value = plist_dict_get_item(node, "CF$UID");
    if (!value || plist_get_node_type(value) != PLIST_UINT) return std::nullopt;
    uint64_t uid = 0;
    plist_get_uint_val(value, &uid);
    return uid;
}

// libplist's readers and plist_free recurse once per level of nesting, so deep nesting would overflow the stack;
// request archives nest a handful of levels. Checked before parsing, for both formats.
constexpr int kMaxNesting = 256;
// The parser copies out every shared reference of a binary list, so a few hundred bytes can name billions of nodes.
// Request archives and resume data hold a few hundred; this many take some tens of megabytes.
constexpr uint64_t kMaxNodes = 1 << 18;

// A copy of node in which XML UIDs are UID nodes, as the platform's reader reads them, so that an archive read from
// XML is written as binary with real UIDs. Arrays are walked with the iterator and built by appending, which lets
// libplist index long ones: a parsed array is a plain list, reached by index in time proportional to the index.
// Null when the nesting is deeper than any archive of a request.
plist_t normalisedCopy(plist_t node, int depth) {
    if (depth > kMaxNesting) return nullptr;
    const auto child = [depth](plist_t item) -> plist_t {
        if (const auto uid = xmlUid(item)) return plist_new_uid(*uid);
        return normalisedCopy(item, depth + 1);
    };
    const plist_type type = plist_get_node_type(node);
    if (type == PLIST_ARRAY) {
        Plist copy = own(plist_new_array());
        plist_array_iter it = nullptr;
        plist_array_new_iter(node, &it);
        for (;;) {
            plist_t item = nullptr;
            plist_array_next_item(node, it, &item);
            if (!item) break;
            const plist_t value = child(item);
            if (!value) {
                free(it);
                return nullptr;
            }
            plist_array_append_item(copy.get(), value);
        }
        free(it);
        return copy.release();
    }
    if (type == PLIST_DICT) {
        Plist copy = own(plist_new_dict());
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, it, &key, &item);
            const plist_t value = item ? child(item) : nullptr;
            if (value) plist_dict_set_item(copy.get(), key ? key : "", value);
            free(key);
            if (!value) {
                free(it);
                return item ? nullptr : copy.release();
            }
        }
    }
    return plist_copy(node);
}

uint64_t readBigEndian(const uchar* p, int size) {
    uint64_t value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | p[i];
    return value;
}

// XML: every container tag counts and closing tags do not, which bounds the depth without a full parse. A closing
// tag can stand where the parser skips it (a comment, a CDATA section, a quoted attribute), so subtracting closing
// tags would let deep nesting through. Request archives and resume data hold a few dozen containers. Every opening
// tag counts as a node: XML shares nothing, so that bounds the nodes too.
constexpr int kMaxXmlContainers = 4096;

bool xmlWithinLimits(const QByteArray& data) {
    if (data.contains('\0')) return false; // no XML character; see the binary check for why it matters
    int containers = 0;
    uint64_t nodes = 0;
    for (int i = data.indexOf('<'); i >= 0; i = data.indexOf('<', i + 1)) {
        const char* p = data.constData() + i + 1;
        const int left = data.size() - i - 1;
        const auto startsWith = [&](const char* word) {
            const int n = int(strlen(word));
            return left >= n && memcmp(p, word, size_t(n)) == 0;
        };
        if ((startsWith("array") || startsWith("dict")) && ++containers > kMaxXmlContainers) return false;
        if (left > 0 && *p != '/' && *p != '?' && *p != '!' && ++nodes > kMaxNodes) return false;
    }
    return true;
}

// Binary: the longest chain of containers from the top object, and the nodes the parser makes (each object once for
// every reference to it), walked without recursion, each object's counts kept once found; a structure this walk
// cannot follow, or a cycle, is refused. So is a text (a key or a value) holding a NUL character: libplist's dictionary
// iterator and text getters assert that a text's length is that of its C string, which would end the program.
bool binaryWithinLimits(const QByteArray& data) {
    constexpr int kHeaderSize = 8;
    constexpr int kTrailerSize = 32;
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const uint64_t size = uint64_t(data.size());
    if (size < kHeaderSize + kTrailerSize) return false;
    const uchar* trailer = bytes + size - kTrailerSize;
    const int offsetSize = trailer[6];
    const int refSize = trailer[7];
    const uint64_t count = readBigEndian(trailer + 8, 8);
    const uint64_t top = readBigEndian(trailer + 16, 8);
    const uint64_t table = readBigEndian(trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || count == 0 || count > size || top >= count ||
        table > size || (size - table) / uint64_t(offsetSize) < count)
        return false;
    const auto offsetOf = [&](uint64_t object) {
        return readBigEndian(bytes + table + object * offsetSize, offsetSize);
    };

    // The references of a container object, or none for a scalar; false when they do not fit in the data, or the
    // object is a text holding a NUL character.
    const auto children = [&](uint64_t object, std::vector<uint64_t>& refs) {
        refs.clear();
        uint64_t at = offsetOf(object);
        if (at >= table) return false;
        const uchar marker = bytes[at++];
        const int type = marker >> 4;
        const bool text = type == 0x5 || type == 0x6; // ASCII, UTF-16
        if (!text && type != 0xA && type != 0xC && type != 0xD) return true;
        uint64_t n = marker & 0x0F;
        if (n == 0x0F) {
            if (at >= table || (bytes[at] >> 4) != 0x1) return false;
            const int intSize = 1 << (bytes[at] & 0x0F);
            if (intSize > 8 || table - at - 1 < uint64_t(intSize)) return false;
            n = readBigEndian(bytes + at + 1, intSize);
            at += 1 + intSize;
        }
        if (text) {
            const uint64_t unit = type == 0x6 ? 2 : 1;
            if (n > size || (table - at) / unit < n) return false;
            for (uint64_t i = 0; i < n; ++i)
                if (bytes[at + i * unit] == 0 && (unit == 1 || bytes[at + i * unit + 1] == 0)) return false;
            return true;
        }
        if (type == 0xD) {
            if (n > size) return false;
            n *= 2;
        }
        if (n > size || (table - at) / uint64_t(refSize) < n) return false;
        for (uint64_t i = 0; i < n; ++i) {
            const uint64_t ref = readBigEndian(bytes + at + i * refSize, refSize);
            if (ref >= count) return false;
            refs.push_back(ref);
        }
        return true;
    };

    enum : uint8_t { kNew, kOpen, kDone };
    std::vector<uint8_t> mark(count, kNew);
    std::vector<int> height(count, 0);     // containers below and including the object, once done
    std::vector<uint32_t> nodes(count, 0); // nodes parsed from the object, once done; above kMaxNodes: too many
    struct Frame {
        uint64_t object;
        std::vector<uint64_t> refs;
        size_t next = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({top, {}, 0});
    if (!children(top, stack.back().refs)) return false;
    mark[top] = kOpen;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.refs.size()) {
            int below = 0;
            for (uint64_t ref : frame.refs)
                below = std::max(below, height[ref]);
            height[frame.object] = below + (frame.refs.empty() ? 0 : 1);
            uint64_t parsed = 1;
            for (uint64_t ref : frame.refs)
                parsed = std::min(parsed + nodes[ref], kMaxNodes + 1);
            if (parsed > kMaxNodes) return false;
            nodes[frame.object] = uint32_t(parsed);
            mark[frame.object] = kDone;
            stack.pop_back();
            continue;
        }
        const uint64_t child = frame.refs[frame.next++];
        if (mark[child] == kOpen) return false;
        if (mark[child] == kDone) {
            if (int(stack.size()) + height[child] > kMaxNesting) return false;
            continue;
        }
        if (int(stack.size()) >= kMaxNesting) return false;
        Frame next{child, {}, 0};
        if (!children(child, next.refs)) return false;
        mark[child] = kOpen;
        stack.push_back(std::move(next));
    }
    return true;
}

Plist parse(const QByteArray& data) {
    if (data.isEmpty() || data.size() > kMaxResumeDataSize) return own(nullptr);
    const bool binary = plist_is_binary(data.constData(), static_cast<uint32_t>(data.size()));
    if (!(binary ? binaryWithinLimits(data) : xmlWithinLimits(data))) return own(nullptr);
    plist_t root = nullptr;
    plist_from_memory(data.constData(), static_cast<uint32_t>(data.size()), &root);
    const Plist parsed = own(root);
    return own(root ? normalisedCopy(root, 0) : nullptr);
}

bool isDict(plist_t node) {
    return node && plist_get_node_type(node) == PLIST_DICT;
}

QByteArray dataValue(plist_t node) {
    if (!node || plist_get_node_type(node) != PLIST_DATA) return QByteArray();
    char* bytes = nullptr;
    uint64_t length = 0;
    plist_get_data_val(node, &bytes, &length);
    QByteArray data(bytes ? bytes : "", bytes ? static_cast<int>(length) : 0);
    free(bytes);
    return data;
}

QString stringValue(plist_t node) {
    if (!node || plist_get_node_type(node) != PLIST_STRING) return QString();
    char* text = nullptr;
    plist_get_string_val(node, &text);
    const QString value = QString::fromUtf8(text ? text : "");
    free(text);
    return value;
}

// The object a UID names in the archive's object list.
plist_t objectFor(plist_t objects, plist_t uid) {
    if (!uid || plist_get_node_type(uid) != PLIST_UID) return nullptr;
    uint64_t index = 0;
    plist_get_uid_val(uid, &index);
    if (index >= plist_array_get_size(objects)) return nullptr;
    return plist_array_get_item(objects, static_cast<uint32_t>(index));
}

QString classNameOf(plist_t objects, plist_t object) {
    if (!isDict(object)) return QString();
    const plist_t cls = objectFor(objects, plist_dict_get_item(object, kClassKey));
    return isDict(cls) ? stringValue(plist_dict_get_item(cls, kClassNameKey)) : QString();
}

struct Archive {
    plist_t objects = nullptr;
    plist_t root = nullptr;
};

// Our reading of a keyed archive: "$top" names the root object by the archiver's root key, as a UID into
// "$objects".
std::optional<Archive> readArchive(plist_t archive) {
    if (!isDict(archive)) return std::nullopt;
    const plist_t objects = plist_dict_get_item(archive, kObjectsKey);
    const plist_t top = plist_dict_get_item(archive, kTopKey);
    if (!objects || plist_get_node_type(objects) != PLIST_ARRAY || !isDict(top)) return std::nullopt;
    const plist_t root = objectFor(objects, plist_dict_get_item(top, kRootObjectKey));
    if (!root) return std::nullopt;
    return Archive{objects, root};
}

bool archivesData(plist_t archive) {
    const auto a = readArchive(archive);
    if (!a) return false;
    if (plist_get_node_type(a->root) == PLIST_DATA) return true;
    const QString cls = classNameOf(a->objects, a->root);
    return cls == "NSData" || cls == "NSMutableData";
}

QString numberedKey(long n) {
    return QString("$%1").arg(n);
}

// Moves P[from] to P[to]; false when P[to] is taken (a gap in the numbered keys).
bool moveItem(plist_t dict, const QString& from, const QString& to) {
    const QByteArray fromKey = from.toUtf8();
    const QByteArray toKey = to.toUtf8();
    if (plist_dict_get_item(dict, toKey.constData())) return false;
    plist_dict_set_item(dict, toKey.constData(), plist_copy(plist_dict_get_item(dict, fromKey.constData())));
    plist_dict_remove_item(dict, fromKey.constData());
    return true;
}

std::optional<QByteArray> serialise(plist_t node, bool binary) {
    char* out = nullptr;
    uint32_t length = 0;
    if (binary)
        plist_to_bin(node, &out, &length);
    else
        plist_to_xml(node, &out, &length);
    if (!out || length == 0) {
        free(out);
        return std::nullopt;
    }
    QByteArray data(out, static_cast<int>(length));
    if (binary)
        plist_to_bin_free(out);
    else
        plist_to_xml_free(out);
    return data;
}

} // namespace

Plist getResumeDictionaryWithData(const QByteArray& data) {
    Plist root = parse(data);
    if (!isDict(root.get())) return own(nullptr);
    return root;
}

std::optional<QByteArray> getCorrectRequestDataWithData(const QByteArray& data) {
    if (data.isNull()) return std::nullopt;
    Plist archive = parse(data);
    if (!isDict(archive.get())) return std::nullopt;
    if (archivesData(archive.get())) return data;

    const plist_t objects = plist_dict_get_item(archive.get(), kObjectsKey);
    if (!objects || plist_get_node_type(objects) != PLIST_ARRAY || plist_array_get_size(objects) <= kPropertiesIndex)
        return std::nullopt;
    const plist_t props = plist_array_get_item(objects, kPropertiesIndex);
    if (!isDict(props)) return std::nullopt;

    long k = 0;
    while (plist_dict_get_item(props, numberedKey(k).toUtf8().constData()))
        ++k;
    long i = 0;
    for (;; ++i) {
        const QString longKey = QString(kLongKeyFormat).arg(i);
        if (!plist_dict_get_item(props, longKey.toUtf8().constData())) break;
        if (!moveItem(props, longKey, numberedKey(k + i))) return std::nullopt;
    }
    if (plist_dict_get_item(props, kPropsKey) && !moveItem(props, kPropsKey, numberedKey(k + i))) return std::nullopt;

    const plist_t top = plist_dict_get_item(archive.get(), kTopKey);
    if (isDict(top) && plist_dict_get_item(top, kLiteralRootKey)) {
        plist_dict_set_item(top, kRootObjectKey, plist_copy(plist_dict_get_item(top, kLiteralRootKey)));
        plist_dict_remove_item(top, kLiteralRootKey);
    }
    return serialise(archive.get(), true);
}

std::optional<QByteArray> getCorrectResumeDataWithData(const QByteArray& data) {
    if (data.isNull()) return std::nullopt;
    Plist resume = getResumeDictionaryWithData(data);
    if (!resume) return std::nullopt;
    for (const char* key : {kResumeCurrentRequestKey, kResumeOriginalRequestKey}) {
        const plist_t entry = plist_dict_get_item(resume.get(), key);
        if (!entry) continue;
        const std::optional<QByteArray> repaired =
            plist_get_node_type(entry) == PLIST_DATA ? getCorrectRequestDataWithData(dataValue(entry)) : std::nullopt;
        if (repaired)
            plist_dict_set_item(resume.get(), key, plist_new_data(repaired->constData(), repaired->size()));
        else
            plist_dict_remove_item(resume.get(), key);
    }
    return serialise(resume.get(), false);
}

std::optional<URLRequest> decodeRequestWithData(const QByteArray& data) {
    Plist archive = parse(data);
    const auto a = readArchive(archive.get());
    if (!a) return std::nullopt;
    const QString rootClass = classNameOf(a->objects, a->root);
    if (rootClass != "NSURLRequest" && rootClass != "NSMutableURLRequest") return std::nullopt;
    // Breadth first through the objects the request refers to, each once, until an NSURL.
    std::vector<plist_t> queue{a->root};
    std::set<plist_t> seen{a->root};
    for (size_t next = 0; next < queue.size() && next < size_t(kMaxObjectsVisited); ++next) {
        const plist_t object = queue[next];
        if (classNameOf(a->objects, object) == "NSURL") {
            plist_t relative = plist_dict_get_item(object, "NS.relative");
            if (relative && plist_get_node_type(relative) == PLIST_UID) relative = objectFor(a->objects, relative);
            const QString url = stringValue(relative);
            if (!url.isEmpty()) return URLRequest{url};
            continue;
        }
        const auto visit = [&](plist_t value) {
            const plist_t target = objectFor(a->objects, value);
            if (target && seen.insert(target).second) queue.push_back(target);
        };
        if (isDict(object)) {
            plist_dict_iter it = nullptr;
            plist_dict_new_iter(object, &it);
            for (;;) {
                char* key = nullptr;
                plist_t value = nullptr;
                plist_dict_next_item(object, it, &key, &value);
                free(key);
                if (!value) break;
                visit(value);
                if (plist_get_node_type(value) == PLIST_ARRAY) {
                    plist_array_iter items = nullptr;
                    plist_array_new_iter(value, &items);
                    for (plist_t item = nullptr;;) {
                        plist_array_next_item(value, items, &item);
                        if (!item) break;
                        visit(item);
                    }
                    free(items);
                }
            }
            free(it);
        }
    }
    return std::nullopt;
}

std::shared_ptr<ResumeDownloadTask> downloadTaskWithCorrectResumeData(ResumeDownloadSession& session,
                                                                      const QByteArray& resumeData) {
    const QByteArray data = getCorrectResumeDataWithData(resumeData).value_or(resumeData);
    std::shared_ptr<ResumeDownloadTask> task = session.downloadTaskWithResumeData(data);
    if (!task) return nullptr;
    Plist resume = getResumeDictionaryWithData(data);
    if (resume) {
        const auto archived = [&](const char* key) -> std::optional<URLRequest> {
            return decodeRequestWithData(dataValue(plist_dict_get_item(resume.get(), key)));
        };
        if (!task->originalRequest())
            if (const auto request = archived(kResumeOriginalRequestKey)) task->setOriginalRequest(*request);
        if (!task->currentRequest())
            if (const auto request = archived(kResumeCurrentRequestKey)) task->setCurrentRequest(*request);
    }
    return task;
}

} // namespace correctedresumedata
