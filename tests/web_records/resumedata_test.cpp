#include "correctedresumedata.h"

#include <QStringList>

#include <plist/plist.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace correctedresumedata;

namespace {

const char* const kLong0 = "__nsurlrequest_proto_prop_obj_0";
const char* const kLong1 = "__nsurlrequest_proto_prop_obj_1";
const char* const kLong2 = "__nsurlrequest_proto_prop_obj_2";
const char* const kProps = "__nsurlrequest_proto_props";

Plist own(plist_t node) {
    return Plist(node, [](void* p) {
        if (p) plist_free(static_cast<plist_t>(p));
    });
}

QByteArray toBytes(plist_t node, bool binary) {
    char* out = nullptr;
    uint32_t length = 0;
    if (binary)
        plist_to_bin(node, &out, &length);
    else
        plist_to_xml(node, &out, &length);
    QByteArray bytes(out, int(length));
    free(out);
    return bytes;
}

Plist parse(const QByteArray& bytes) {
    plist_t node = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &node);
    return own(node);
}

QString stringOf(plist_t node) {
    if (!node || plist_get_node_type(node) != PLIST_STRING) return "<none>";
    char* s = nullptr;
    plist_get_string_val(node, &s);
    QString v = QString::fromUtf8(s);
    free(s);
    return v;
}

QStringList keysOf(plist_t dict) {
    QStringList keys;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(dict, &it);
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(dict, it, &key, &value);
        if (!value) break;
        keys << QString::fromUtf8(key);
        free(key);
    }
    free(it);
    keys.sort();
    return keys;
}

plist_t classDict(const char* name) {
    plist_t cls = plist_new_dict();
    plist_dict_set_item(cls, "$classname", plist_new_string(name));
    plist_t classes = plist_new_array();
    plist_array_append_item(classes, plist_new_string(name));
    plist_array_append_item(classes, plist_new_string("NSObject"));
    plist_dict_set_item(cls, "$classes", classes);
    return cls;
}

// An archived URL request. props gets its property keys, each holding a string naming the key, so moved values
// can be traced; the URL object sits behind the first property.
QByteArray archivedRequest(const std::vector<const char*>& keys, bool literalRoot = true, bool binary = true,
                           const char* url = "https://dl.example.com/pkg_1.zip") {
    plist_t archive = plist_new_dict();
    plist_dict_set_item(archive, "$archiver", plist_new_string("NSKeyedArchiver"));
    plist_dict_set_item(archive, "$version", plist_new_uint(100000));
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, literalRoot ? "NSKeyedArchiveRootObjectKey" : "root", plist_new_uid(1));
    plist_dict_set_item(archive, "$top", top);
    plist_t objects = plist_new_array();
    plist_array_append_item(objects, plist_new_string("$null"));
    plist_t props = plist_new_dict();
    plist_dict_set_item(props, "$class", plist_new_uid(2));
    plist_dict_set_item(props, "link", plist_new_uid(3));
    for (const char* key : keys)
        plist_dict_set_item(props, key, plist_new_string(key));
    plist_array_append_item(objects, props);
    plist_array_append_item(objects, classDict("NSMutableURLRequest"));
    plist_t nsurl = plist_new_dict();
    plist_dict_set_item(nsurl, "$class", plist_new_uid(4));
    plist_dict_set_item(nsurl, "NS.base", plist_new_uid(0));
    plist_dict_set_item(nsurl, "NS.relative", plist_new_uid(5));
    plist_array_append_item(objects, nsurl);
    plist_array_append_item(objects, classDict("NSURL"));
    plist_array_append_item(objects, plist_new_string(url));
    plist_dict_set_item(archive, "$objects", objects);
    const QByteArray bytes = toBytes(archive, binary);
    plist_free(archive);
    return bytes;
}

QByteArray resumeData(const std::optional<QByteArray>& current, const std::optional<QByteArray>& original,
                      bool binary = false) {
    plist_t resume = plist_new_dict();
    plist_dict_set_item(resume, "NSURLSessionDownloadURL", plist_new_string("https://dl.example.com/pkg_1.zip"));
    plist_dict_set_item(resume, "NSURLSessionResumeBytesReceived", plist_new_uint(123456));
    if (current)
        plist_dict_set_item(resume, kResumeCurrentRequestKey, plist_new_data(current->constData(), current->size()));
    if (original)
        plist_dict_set_item(resume, kResumeOriginalRequestKey, plist_new_data(original->constData(), original->size()));
    const QByteArray bytes = toBytes(resume, binary);
    plist_free(resume);
    return bytes;
}

plist_t propsOf(plist_t archive) {
    return plist_array_get_item(plist_dict_get_item(archive, "$objects"), 1);
}

QByteArray dataOf(plist_t node) {
    char* bytes = nullptr;
    uint64_t length = 0;
    plist_get_data_val(node, &bytes, &length);
    QByteArray data(bytes, int(length));
    free(bytes);
    return data;
}

TEST(ResumeDataRepair, LongKeysMoveBehindTheNumberedOnes) {
    const auto repaired = getCorrectRequestDataWithData(archivedRequest({"$0", "$1", "$2", kLong0, kLong1, kProps}));
    ASSERT_TRUE(repaired);
    EXPECT_EQ(plist_is_binary(repaired->constData(), uint32_t(repaired->size())), 1);
    Plist archive = parse(*repaired);
    plist_t props = propsOf(archive.get());
    EXPECT_EQ(keysOf(props), (QStringList{"$0", "$1", "$2", "$3", "$4", "$5", "$class", "link"}));
    EXPECT_EQ(stringOf(plist_dict_get_item(props, "$3")), kLong0);
    EXPECT_EQ(stringOf(plist_dict_get_item(props, "$4")), kLong1);
    EXPECT_EQ(stringOf(plist_dict_get_item(props, "$5")), kProps);
    plist_t top = plist_dict_get_item(archive.get(), "$top");
    EXPECT_EQ(keysOf(top), QStringList{"root"});
    uint64_t uid = 0;
    plist_get_uid_val(plist_dict_get_item(top, "root"), &uid);
    EXPECT_EQ(uid, 1u);
}

TEST(ResumeDataRepair, NumberingStartsAtTheFirstMissingKey) {
    struct Case {
        std::vector<const char*> keys;
        QStringList expected;
        std::vector<std::pair<const char*, const char*>> moved; // new key, old key
    };
    const Case cases[] = {
        {{kLong0}, {"$0", "$class", "link"}, {{"$0", kLong0}}},
        // Moving stops at the first missing long key; what follows stays where it was.
        {{"$0", kLong0, kLong2, kProps},
         {"$0", "$1", "$2", "$class", kLong2, "link"},
         {{"$1", kLong0}, {"$2", kProps}}},
        {{kProps}, {"$0", "$class", "link"}, {{"$0", kProps}}},
        // A gap below the moved values: nothing they would land on is taken.
        {{"$0", "$2", kLong0}, {"$0", "$1", "$2", "$class", "link"}, {{"$1", kLong0}}},
    };
    for (const Case& c : cases) {
        const auto repaired = getCorrectRequestDataWithData(archivedRequest(c.keys, false, false));
        ASSERT_TRUE(repaired);
        Plist archive = parse(*repaired);
        plist_t props = propsOf(archive.get());
        EXPECT_EQ(keysOf(props), c.expected);
        for (const auto& [to, from] : c.moved)
            EXPECT_EQ(stringOf(plist_dict_get_item(props, to)), from);
        plist_t top = plist_dict_get_item(archive.get(), "$top");
        EXPECT_EQ(keysOf(top), QStringList{"root"});
        EXPECT_EQ(plist_get_node_type(plist_dict_get_item(top, "root")), PLIST_UID) << "XML UIDs come out as UIDs";
        EXPECT_EQ(plist_get_node_type(plist_dict_get_item(props, "$class")), PLIST_UID);
    }
}

TEST(ResumeDataRepair, AGapThatAMovedValueWouldOverwriteGivesNoResult) {
    EXPECT_FALSE(getCorrectRequestDataWithData(archivedRequest({"$0", "$2", kLong0, kLong1})));
    EXPECT_FALSE(getCorrectRequestDataWithData(archivedRequest({"$0", "$2", kLong0, kProps})));
    EXPECT_FALSE(getCorrectRequestDataWithData(archivedRequest({"$1", kLong0, kLong1})));
}

TEST(ResumeDataRepair, ShapesWithoutAnswerAndArchivedData) {
    EXPECT_FALSE(getCorrectRequestDataWithData(QByteArray()));
    EXPECT_FALSE(getCorrectRequestDataWithData("no property list"));
    // Root not a dictionary, too few objects, second object not a dictionary.
    plist_t array = plist_new_array();
    EXPECT_FALSE(getCorrectRequestDataWithData(toBytes(array, true)));
    plist_t archive = plist_new_dict();
    plist_t objects = plist_new_array();
    plist_array_append_item(objects, plist_new_string("$null"));
    plist_dict_set_item(archive, "$objects", objects);
    EXPECT_FALSE(getCorrectRequestDataWithData(toBytes(archive, true)));
    plist_array_append_item(objects, plist_new_string("not a dictionary"));
    EXPECT_FALSE(getCorrectRequestDataWithData(toBytes(archive, true)));

    // An archive whose root is a data object comes back as it is, XML included.
    plist_array_set_item(objects, plist_new_data("\x01\x02", 2), 1);
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "root", plist_new_uid(1));
    plist_dict_set_item(archive, "$top", top);
    const QByteArray xml = toBytes(archive, false);
    EXPECT_EQ(getCorrectRequestDataWithData(xml), xml);
    plist_free(array);
    plist_free(archive);
}

TEST(ResumeDataRepair, ResumeDataComesBackAsXmlWithBinaryRequests) {
    const QByteArray numbered = archivedRequest({"$0", "$1"}, false, true);
    const QByteArray numberedXml = archivedRequest({"$0", "$1"}, false, false);
    const auto repaired = getCorrectResumeDataWithData(resumeData(numbered, numberedXml, true));
    ASSERT_TRUE(repaired);
    EXPECT_EQ(plist_is_binary(repaired->constData(), uint32_t(repaired->size())), 0);
    EXPECT_TRUE(repaired->startsWith("<?xml"));
    Plist resume = parse(*repaired);
    ASSERT_TRUE(resume);
    for (const char* key : {kResumeCurrentRequestKey, kResumeOriginalRequestKey}) {
        const QByteArray request = dataOf(plist_dict_get_item(resume.get(), key));
        EXPECT_EQ(plist_is_binary(request.constData(), uint32_t(request.size())), 1) << key;
        EXPECT_EQ(toBytes(parse(request).get(), false), toBytes(parse(numbered).get(), false)) << "same content";
    }
    EXPECT_EQ(stringOf(plist_dict_get_item(resume.get(), "NSURLSessionDownloadURL")),
              "https://dl.example.com/pkg_1.zip");

    const auto without = getCorrectResumeDataWithData(resumeData(std::nullopt, std::nullopt));
    ASSERT_TRUE(without);
    Plist bare = parse(*without);
    EXPECT_EQ(keysOf(bare.get()), (QStringList{"NSURLSessionDownloadURL", "NSURLSessionResumeBytesReceived"}));

    // An entry whose repair fails is removed; the other one stays.
    const auto mixed = getCorrectResumeDataWithData(resumeData(QByteArray("garbage"), archivedRequest({kLong0})));
    ASSERT_TRUE(mixed);
    Plist m = parse(*mixed);
    EXPECT_FALSE(plist_dict_get_item(m.get(), kResumeCurrentRequestKey));
    EXPECT_TRUE(plist_dict_get_item(m.get(), kResumeOriginalRequestKey));

    EXPECT_FALSE(getCorrectResumeDataWithData(QByteArray()));
    EXPECT_FALSE(getCorrectResumeDataWithData("not a plist"));
    EXPECT_FALSE(getResumeDictionaryWithData(QByteArray()));
}

TEST(ResumeDataRepair, TruncatedDamagedAndOversizedInputsAreRefusedSafely) {
    const QByteArray request = archivedRequest({"$0", kLong0, kLong1, kProps});
    const QByteArray resume = resumeData(request, request, true);
    for (int n = 0; n < resume.size(); ++n) {
        const QByteArray cut = resume.left(n);
        (void)getCorrectResumeDataWithData(cut);
        (void)getCorrectRequestDataWithData(request.left(std::min(n, int(request.size()))));
    }
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        QByteArray damaged = request;
        for (int flips = 0; flips < 3; ++flips)
            damaged[int(random() % damaged.size())] = char(random() & 0xff);
        (void)getCorrectRequestDataWithData(damaged);
        (void)decodeRequestWithData(damaged);
    }
    QByteArray huge = resumeData(request, request, false);
    const QByteArray padding(kMaxResumeDataSize, ' ');
    huge.insert(huge.indexOf("<dict>"), padding);
    EXPECT_FALSE(getCorrectResumeDataWithData(huge));
    EXPECT_FALSE(getResumeDictionaryWithData(huge));
}

// A binary property list of nested one-element arrays, written by hand: libplist's writer recurses as deep.
QByteArray nestedBinaryArrays(uint32_t levels) {
    QByteArray data("bplist00");
    std::vector<uint32_t> offsets;
    const auto be32 = [](QByteArray& out, uint64_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.append(char((v >> shift) & 0xff));
    };
    for (uint32_t i = 0; i + 1 < levels; ++i) {
        offsets.push_back(uint32_t(data.size()));
        data.append(char(0xA1));
        be32(data, i + 1);
    }
    offsets.push_back(uint32_t(data.size()));
    data.append(char(0xA0));
    const uint32_t table = uint32_t(data.size());
    for (uint32_t offset : offsets)
        be32(data, offset);
    data.append(QByteArray(6, '\0'));
    data.append(char(4)).append(char(4));
    for (uint64_t v : {uint64_t(levels), uint64_t(0), uint64_t(table)}) {
        be32(data, v >> 32);
        be32(data, v & 0xffffffff);
    }
    return data;
}

TEST(ResumeDataRepair, DeepNestingIsRefusedBeforeTheParserRecurses) {
    const QByteArray shallow = nestedBinaryArrays(50);
    Plist parsed = parse(shallow);
    ASSERT_TRUE(parsed) << "the hand-written list is well formed";
    EXPECT_FALSE(getCorrectRequestDataWithData(shallow)) << "parsed, but no archive";
    EXPECT_FALSE(getCorrectRequestDataWithData(nestedBinaryArrays(300000)));

    QByteArray xml("<?xml version=\"1.0\"?><plist version=\"1.0\">");
    for (int i = 0; i < 300000; ++i)
        xml.append("<array>");
    for (int i = 0; i < 300000; ++i)
        xml.append("</array>");
    xml.append("</plist>");
    EXPECT_FALSE(getCorrectResumeDataWithData(xml));
    EXPECT_FALSE(getCorrectRequestDataWithData(xml));

    // Closing tags where the parser skips them (a comment, a quoted attribute) must not hide the depth that follows.
    const auto deepBehind = [](const QByteArray& opening, const QByteArray& closing) {
        QByteArray text("<?xml version=\"1.0\"?><plist version=\"1.0\">" + opening);
        for (int i = 0; i < 300000; ++i)
            text.append("</array>");
        text.append(closing);
        for (int i = 0; i < 300000; ++i)
            text.append("<array>");
        for (int i = 0; i < 300000; ++i)
            text.append("</array>");
        return text + "</plist>";
    };
    EXPECT_FALSE(getCorrectResumeDataWithData(deepBehind("<!-- ", " -->")));
    EXPECT_FALSE(decodeRequestWithData(deepBehind("<!-- ", " -->")));
    EXPECT_FALSE(getResumeDictionaryWithData(deepBehind("<dict note=\"", "\"><key>a</key>")));

    // A cycle of references in a binary list.
    QByteArray cycle = nestedBinaryArrays(3);
    cycle[8 + 5 + 4] = 0; // the second array's reference now points back at the first
    EXPECT_FALSE(getCorrectRequestDataWithData(cycle));
}

// A binary property list written object by object, so that objects can be shared: a reference names an object by
// its number. Small counts only (under 15 items, texts under 256 characters, one-byte references).
class BinaryPlistWriter {
public:
    uint8_t text(const std::string& value) {
        QByteArray object = value.size() < 15 ? QByteArray(1, char(0x50 | value.size()))
                                              : QByteArray("\x5f\x10", 2) + char(value.size());
        return add(object + value.c_str());
    }
    uint8_t uid(uint8_t value) { return add(QByteArray(1, char(0x80)) + char(value)); }
    uint8_t integer(uint8_t value) { return add(QByteArray(1, char(0x10)) + char(value)); }
    uint8_t array(const std::vector<uint8_t>& refs) {
        QByteArray object(1, char(0xA0 | refs.size()));
        for (uint8_t ref : refs)
            object.append(char(ref));
        return add(object);
    }
    uint8_t dict(const std::vector<std::pair<uint8_t, uint8_t>>& items) {
        QByteArray object(1, char(0xD0 | items.size()));
        for (const auto& item : items)
            object.append(char(item.first));
        for (const auto& item : items)
            object.append(char(item.second));
        return add(object);
    }
    // A reserved number, for an object that refers to objects made after it.
    uint8_t reserve() {
        m_objects.push_back({});
        return uint8_t(m_objects.size() - 1);
    }
    void set(uint8_t number, uint8_t copyOf) { m_objects[number] = m_objects[copyOf]; }
    QByteArray bytes(uint8_t top) const {
        QByteArray data("bplist00");
        std::vector<uint32_t> offsets;
        for (const QByteArray& object : m_objects) {
            offsets.push_back(uint32_t(data.size()));
            data.append(object);
        }
        const uint32_t table = uint32_t(data.size());
        for (uint32_t offset : offsets)
            for (int shift = 24; shift >= 0; shift -= 8)
                data.append(char((offset >> shift) & 0xff));
        data.append(QByteArray(6, '\0')).append(char(4)).append(char(1));
        for (uint64_t v : {uint64_t(m_objects.size()), uint64_t(top), uint64_t(table)})
            for (int shift = 56; shift >= 0; shift -= 8)
                data.append(char((v >> shift) & 0xff));
        return data;
    }

private:
    uint8_t add(const QByteArray& object) {
        m_objects.push_back(object);
        return uint8_t(m_objects.size() - 1);
    }
    std::vector<QByteArray> m_objects;
};

// An archived request of a few hundred bytes whose long key 0 holds a chain of `levels` arrays, each naming the next
// twice: 2^levels leaves once every shared reference is copied out.
QByteArray expandingRequest(int levels) {
    BinaryPlistWriter w;
    const uint8_t top = w.reserve();
    const uint8_t props = w.reserve();
    uint8_t next = w.text("leaf");
    for (int i = 0; i < levels; ++i)
        next = w.array({next, next});
    const uint8_t requestClass = w.dict({{w.text("$classname"), w.text("NSMutableURLRequest")}});
    w.set(props, w.dict({{w.text("$class"), w.uid(2)}, {w.text("$0"), w.text("first")}, {w.text(kLong0), next}}));
    const uint8_t objects = w.array({w.text("$null"), props, requestClass});
    w.set(top, w.dict({{w.text("$archiver"), w.text("NSKeyedArchiver")},
                       {w.text("$version"), w.integer(100)},
                       {w.text("$top"), w.dict({{w.text("NSKeyedArchiveRootObjectKey"), w.uid(1)}})},
                       {w.text("$objects"), objects}}));
    return w.bytes(top);
}

// Shared references are copied out by the parser: a list that would expand far past what any resume data holds is
// refused before it is parsed, while one that stays small is repaired as any other.
TEST(ResumeDataRepair, SharedReferencesThatExpandPastTheLimitAreRefused) {
    const QByteArray small = expandingRequest(4);
    const auto repaired = getCorrectRequestDataWithData(small);
    ASSERT_TRUE(repaired) << "16 leaves are no threat";
    Plist archive = parse(*repaired);
    EXPECT_EQ(stringOf(plist_dict_get_item(propsOf(archive.get()), "$0")), "first");
    EXPECT_EQ(plist_get_node_type(plist_dict_get_item(propsOf(archive.get()), "$1")), PLIST_ARRAY);

    const QByteArray expanding = expandingRequest(19); // half a million leaves from a few hundred bytes
    EXPECT_FALSE(getCorrectRequestDataWithData(expanding));
    EXPECT_FALSE(decodeRequestWithData(expanding));
    EXPECT_FALSE(getCorrectResumeDataWithData(expanding));
    EXPECT_FALSE(getResumeDictionaryWithData(expanding));
    // Inside resume data: the entry is refused and removed, the rest is kept.
    const auto resume = getCorrectResumeDataWithData(resumeData(expanding, small));
    ASSERT_TRUE(resume);
    Plist r = parse(*resume);
    EXPECT_FALSE(plist_dict_get_item(r.get(), kResumeCurrentRequestKey));
    EXPECT_TRUE(plist_dict_get_item(r.get(), kResumeOriginalRequestKey));

    // XML shares nothing, but its nodes count against the same limit.
    QByteArray many("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><array>");
    for (int i = 0; i < 300000; ++i)
        many.append("<true/>");
    many.append("</array></dict></plist>");
    EXPECT_FALSE(getResumeDictionaryWithData(many));
}

// Arrays are walked in one pass, not item by item from their start: resume data whose request holds a 200,000-item
// array is repaired, and its request decoded, whole.
TEST(ResumeDataRepair, LongArraysAreRepairedWhole) {
    constexpr uint32_t kItems = 200000;
    Plist archive = parse(archivedRequest({"$0", kLong0}));
    plist_t big = plist_new_array();
    for (uint32_t i = 0; i < kItems; ++i)
        plist_array_append_item(big, plist_new_uint(i));
    plist_dict_set_item(propsOf(archive.get()), "$1", big);
    const QByteArray request = toBytes(archive.get(), true);

    const auto repaired = getCorrectResumeDataWithData(resumeData(request, std::nullopt));
    ASSERT_TRUE(repaired);
    Plist resume = parse(*repaired);
    const QByteArray fixedRequest = dataOf(plist_dict_get_item(resume.get(), kResumeCurrentRequestKey));
    Plist fixed = parse(fixedRequest);
    ASSERT_TRUE(fixed);
    plist_t props = propsOf(fixed.get());
    EXPECT_EQ(stringOf(plist_dict_get_item(props, "$2")), kLong0);
    plist_t items = plist_dict_get_item(props, "$1");
    ASSERT_EQ(plist_array_get_size(items), kItems);
    uint64_t last = 0;
    plist_get_uint_val(plist_array_get_item(items, kItems - 1), &last);
    EXPECT_EQ(last, kItems - 1);

    const auto decoded = decodeRequestWithData(fixedRequest);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->url, "https://dl.example.com/pkg_1.zip");
}

class FakeTask : public ResumeDownloadTask {
public:
    std::optional<URLRequest> originalRequest() const override { return original; }
    std::optional<URLRequest> currentRequest() const override { return current; }
    void setOriginalRequest(const URLRequest& r) override { original = r; }
    void setCurrentRequest(const URLRequest& r) override { current = r; }
    std::optional<URLRequest> original;
    std::optional<URLRequest> current;
};

// Stands in for the platform's session, which makes tasks from resume data; records what it was given.
class FakeSession : public ResumeDownloadSession {
public:
    std::shared_ptr<ResumeDownloadTask> downloadTaskWithResumeData(const QByteArray& data) override {
        given = data;
        return refuse ? nullptr : task;
    }
    QByteArray given;
    bool refuse = false;
    std::shared_ptr<FakeTask> task = std::make_shared<FakeTask>();
};

TEST(ResumeDataRepair, TaskFromRepairedDataGetsItsRequestsBack) {
    const QByteArray data = resumeData(archivedRequest({kLong0}, true, true, "https://dl.example.com/current.zip"),
                                       archivedRequest({kLong0}, true, true, "https://dl.example.com/original.zip"));
    FakeSession session;
    ASSERT_EQ(downloadTaskWithCorrectResumeData(session, data), session.task);
    EXPECT_EQ(session.given, getCorrectResumeDataWithData(data));
    ASSERT_TRUE(session.task->original);
    EXPECT_EQ(session.task->original->url, "https://dl.example.com/original.zip");
    ASSERT_TRUE(session.task->current);
    EXPECT_EQ(session.task->current->url, "https://dl.example.com/current.zip");

    FakeSession keeps;
    keeps.task->current = URLRequest{"https://mine"};
    downloadTaskWithCorrectResumeData(keeps, data);
    EXPECT_EQ(keeps.task->current->url, "https://mine");

    FakeSession plain;
    downloadTaskWithCorrectResumeData(plain, "no plist");
    EXPECT_EQ(plain.given, "no plist") << "unrepairable data is used as it came";
    EXPECT_FALSE(plain.task->original);

    FakeSession refusing;
    refusing.refuse = true;
    EXPECT_FALSE(downloadTaskWithCorrectResumeData(refusing, data));
}

// libplist asserts, ending the program, when a key or text it hands out holds a NUL character: such data is refused
// before it is parsed, in both formats, for keys and values.
TEST(ResumeDataRepair, TextsWithANulCharacterAreRefusedBeforeParsing) {
    const auto withNul = [](QByteArray data, const QByteArray& text) {
        const int at = data.indexOf(text);
        EXPECT_GE(at, 0) << text.toStdString();
        data[at + 1] = '\0';
        return data;
    };
    const QByteArray request = archivedRequest({"$0", kLong0}, false);
    ASSERT_TRUE(decodeRequestWithData(request));
    ASSERT_TRUE(getCorrectRequestDataWithData(request));
    for (const QByteArray& text : {QByteArray("link"), QByteArray("NSMutableURLRequest"), QByteArray("NS.relative")}) {
        SCOPED_TRACE(text.toStdString());
        const QByteArray damaged = withNul(request, text);
        EXPECT_FALSE(getCorrectRequestDataWithData(damaged));
        EXPECT_FALSE(decodeRequestWithData(damaged));
        const auto repaired = getCorrectResumeDataWithData(resumeData(damaged, request));
        ASSERT_TRUE(repaired);
        Plist resume = parse(*repaired);
        EXPECT_FALSE(plist_dict_get_item(resume.get(), kResumeCurrentRequestKey)) << "the damaged entry is removed";
        EXPECT_TRUE(plist_dict_get_item(resume.get(), kResumeOriginalRequestKey));
    }
    const QByteArray xmlRequest = archivedRequest({"$0", kLong0}, false, false);
    ASSERT_TRUE(decodeRequestWithData(xmlRequest));
    EXPECT_FALSE(getCorrectRequestDataWithData(withNul(xmlRequest, "<key>link")));
    EXPECT_FALSE(decodeRequestWithData(withNul(xmlRequest, "NSMutableURLRequest")));
    for (bool binary : {false, true}) {
        const QByteArray resume = withNul(resumeData(request, request, binary), "NSURLSessionDownloadURL");
        EXPECT_FALSE(getResumeDictionaryWithData(resume));
        EXPECT_FALSE(getCorrectResumeDataWithData(resume));
        FakeSession session;
        EXPECT_TRUE(downloadTaskWithCorrectResumeData(session, resume));
        EXPECT_EQ(session.given, resume) << "the data as it came";
    }
}

} // namespace
