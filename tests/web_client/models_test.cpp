// The result models: keys and renamed keys, tolerant readers, arrays and nested objects, archives.
#include "KorvoUpdateFileUploadResultModel.h"
#include "KorvoUpdateLoginResultModel.h"
#include "KorvoUpdateNetworkManager.h"
#include "KorvoUpdateOrderResultModel.h"
#include "KorvoUpdateProductResultModel.h"
#include "KorvoUpdateRegisteResultModel.h"
#include "KorvoUpdateResultModel.h"
#include "KorvoUpdateSoftwareResultModel.h"
#include "KorvoUpdateUpgradeResultModel.h"
#include "KorvoUpdateUserInfoResultModel.h"
#include "KorvoUpdateUserRegisteInfoModel.h"

#include <gtest/gtest.h>

using modelcoding::json;
using modelcoding::mj_objectWithKeyValues;

TEST(ResultModels, ScalarsAreReadTolerantly) {
    struct Case {
        const char* value;
        long long integer;
        bool flag;
        const char* text; // nullptr: a null text
    };
    const Case cases[] = {
        {"1", 1, true, "1"},
        {"\"1\"", 1, true, "1"},
        {"\" 7 \"", 7, true, " 7 "},
        {"3.9", 3, true, "3.9"},
        {"\"2.5\"", 2, true, "2.5"},
        {"\"+0.5\"", 0, true, "+0.5"},
        {"\"+-2.5\"", 0, false, "+-2.5"},
        {"true", 1, true, "1"},
        {"\"true\"", 0, true, "true"},
        {"\"YES\"", 0, true, "YES"},
        {"\"no\"", 0, false, "no"},
        {"\"0\"", 0, false, "0"},
        {"0", 0, false, "0"},
        {"\"abc\"", 0, false, "abc"},
        {"1e30", 0, true, "1e+30"},
        {"18446744073709551615", 0, true, "18446744073709551615"},
        {"\"99999999999999999999\"", 0, true, "99999999999999999999"},
        {"null", 0, false, nullptr},
        {"[]", 0, false, nullptr},
        {"{}", 0, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const json value = json::parse(c.value);
        EXPECT_EQ(modelcoding::readInteger(value), c.integer);
        EXPECT_EQ(modelcoding::readFlag(value), c.flag);
        const QString text = modelcoding::readText(value);
        if (c.text)
            EXPECT_EQ(text, QString::fromUtf8(c.text));
        else
            EXPECT_TRUE(text.isNull());
    }
}

TEST(ResultModels, RenamedKeysArraysAndNestedObjects) {
    const json reply = json::parse(R"({
        "MSG_CODE": "1", "MSG_INFO": 42, "extra": "ignored",
        "PRODUCT_INFO": [
            {"serial_number": "SN1", "serial_id": "17", "product_name": "QM82", "registration_date": "2024-01-05",
             "price": 12.5, "product_id": 3, "productName": "not this key"},
            "not an object",
            {"serial_number": {"wrong": "type"}, "serial_id": 9}
        ]})");
    auto model = mj_objectWithKeyValues<KorvoUpdateProductResultModel>(reply);
    ASSERT_TRUE(model);
    EXPECT_EQ(model->msgCode, 1);
    EXPECT_EQ(model->msgInfo, "42");
    EXPECT_FALSE(model->product.has_value()) << "a missing array stays absent";
    ASSERT_TRUE(model->productInfo.has_value());
    ASSERT_EQ(model->productInfo->size(), 2u);
    const auto& first = *model->productInfo->at(0);
    EXPECT_EQ(first.serialNumber, "SN1");
    EXPECT_EQ(first.serial_id, 17);
    EXPECT_EQ(first.productName, "QM82");
    EXPECT_EQ(first.registrationDate, "2024-01-05");
    EXPECT_EQ(first.price, "12.5");
    EXPECT_EQ(first.productID, 3);
    // A field of the wrong type keeps its zero value; the rest is still read.
    EXPECT_TRUE(model->productInfo->at(1)->serialNumber.isNull());
    EXPECT_EQ(model->productInfo->at(1)->serial_id, 9);

    auto empty = mj_objectWithKeyValues<KorvoUpdateProductResultModel>(json::parse(R"({"PRODUCT": []})"));
    ASSERT_TRUE(empty && empty->product.has_value());
    EXPECT_TRUE(empty->product->empty());
    EXPECT_EQ(KorvoUpdateProductResultModel::mj_objectClassInArray().at("product"), "KorvoUpdateProductInfoModel");

    EXPECT_FALSE(mj_objectWithKeyValues<KorvoUpdateResultModel>(json::parse("[1]")));
}

TEST(ResultModels, ResultAsObjectOrArray) {
    auto order = mj_objectWithKeyValues<KorvoUpdateOrderResultModel>(
        json::parse(R"({"MSG_CODE": 0, "RESULT": {"ORDER": "1001", "STATUS": "paid"}})"));
    ASSERT_TRUE(order && order->result);
    EXPECT_EQ(order->result->order, 1001);
    EXPECT_EQ(order->result->status, "paid");
    auto notObject = mj_objectWithKeyValues<KorvoUpdateOrderResultModel>(json::parse(R"({"RESULT": [1, 2]})"));
    ASSERT_TRUE(notObject);
    EXPECT_FALSE(notObject->result);

    auto registe = mj_objectWithKeyValues<KorvoUpdateRegisteResultModel>(
        json::parse(R"({"RESULT": [{"code": "5", "serial_number": "A1", "reg_result": "true"}, {"reg_result": 0}]})"));
    ASSERT_TRUE(registe && registe->result && registe->result->size() == 2);
    EXPECT_EQ(registe->result->at(0)->code, 5);
    EXPECT_TRUE(registe->result->at(0)->regResult);
    EXPECT_FALSE(registe->result->at(1)->regResult);

    auto user = mj_objectWithKeyValues<KorvoUpdateUserInfoResultModel>(
        json::parse(R"({"MSG_CODE": 1, "RESULT": {"first": "Ann", "user_name": "ann", "update": "1", "zip": 1234}})"));
    ASSERT_TRUE(user && user->result);
    EXPECT_EQ(user->result->first, "Ann");
    EXPECT_EQ(user->result->user_name, "ann");
    EXPECT_TRUE(user->result->update);
    EXPECT_EQ(user->result->zip, "1234");

    auto software = mj_objectWithKeyValues<KorvoUpdateSoftwareResultModel>(
        json::parse(R"({"SOFTWARE_INFO": [{"software_name": "BMW", "software_id": "8"}]})"));
    ASSERT_TRUE(software && software->softwareInfo && software->softwareInfo->size() == 1);
    EXPECT_EQ(software->softwareInfo->at(0)->softwareName, "BMW");
    EXPECT_EQ(software->softwareInfo->at(0)->softwareID, 8);

    auto upload = mj_objectWithKeyValues<KorvoUpdateFileUploadResultModel>(json::parse(
        R"({"status": true, "msg": "ok", "name": "a.log", "path": "/up/a.log", "thumb": "", "size": "12", "ext": "log"})"));
    ASSERT_TRUE(upload);
    EXPECT_TRUE(upload->status);
    EXPECT_EQ(upload->size, 12);
    EXPECT_EQ(upload->path, "/up/a.log");
    EXPECT_TRUE(upload->thumb.isEmpty() && !upload->thumb.isNull());
}

TEST(ResultModels, ArchivesKeepEveryPropertyUnderItsNameAndTheirClass) {
    auto login = mj_objectWithKeyValues<KorvoUpdateLoginResultModel>(json::parse(
        R"({"MSG_CODE": 1, "MSG_INFO": "welcome", "User_Info": "{\"a\":1}", "User_reName": "ann", "is_right": "1"})"));
    ASSERT_TRUE(login);
    ASSERT_TRUE(login->isRight());
    const json archive = login->encodeWithCoder();
    EXPECT_EQ(archive["class"], "KorvoUpdateLoginResultModel");
    EXPECT_EQ(archive["properties"].size(), 5u);
    EXPECT_EQ(archive["properties"]["userReName"], "ann");

    auto back =
        KorvoUpdateLoginResultModel::initWithCoder(modelcoding::readArchive(modelcoding::archivedData(archive)));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->msgCode, 1);
    EXPECT_EQ(back->msgInfo, "welcome");
    EXPECT_EQ(back->userInfo, "{\"a\":1}");
    EXPECT_EQ(back->userReName, "ann");
    EXPECT_TRUE(back->isRight());

    EXPECT_FALSE(modelcoding::mj_decode<KorvoUpdateProductInfoModel>(archive)) << "another class is refused";
    EXPECT_FALSE(modelcoding::mj_decode<KorvoUpdateLoginResultModel>(modelcoding::readArchive("not json")));

    KorvoUpdateUserRegisteInfoModel one;
    one.login_name = "ann";
    one.email = "ann@example.org";
    auto list = modelcoding::encodeArray<KorvoUpdateUserRegisteInfoModel>(
        {std::make_shared<KorvoUpdateUserRegisteInfoModel>(one)});
    auto read = modelcoding::salvageArray<KorvoUpdateUserRegisteInfoModel>(modelcoding::archivedData(list));
    ASSERT_TRUE(read && read->models.size() == 1);
    EXPECT_FALSE(read->damaged);
    EXPECT_EQ(read->models[0]->email, "ann@example.org");
    EXPECT_TRUE(read->models[0]->pwd.isNull());
    auto other = modelcoding::salvageArray<KorvoUpdateLoginResultModel>(modelcoding::archivedData(list));
    ASSERT_TRUE(other);
    EXPECT_TRUE(other->models.empty());
    EXPECT_TRUE(other->damaged) << "elements of another class are left out";

    EXPECT_EQ(modelcoding::decodeText(modelcoding::encodeText("s3cret&+%")).value_or(""), "s3cret&+%");
    EXPECT_FALSE(modelcoding::decodeText(archive));
}

// Copying a reply or turning a package element into a download record recurses once per level of nesting; a reply
// nested deeper than any real one is refused whole instead of overflowing the stack.
TEST(ResultModels, DeepNestingIsRefusedBeforeAnythingRecursesIntoIt) {
    const auto nested = [](int levels) { return std::string(levels, '[') + std::string(levels, ']'); };
    const std::string deep = R"({"MSG_CODE": 1, "UPGRADE": [{"software": "BMW", "x": )" + nested(200000) + "}]}";
    const QByteArray bytes = QByteArray::fromStdString(deep);
    EXPECT_TRUE(modelcoding::parseJSON(bytes).is_discarded());
    EXPECT_FALSE(mj_objectWithKeyValues<KorvoUpdateUpgradeResultModel>(modelcoding::parseJSON(bytes)));
    EXPECT_FALSE(KorvoUpdateNetworkManager::jsonOfReply("<string>" + bytes + "</string>"));
    EXPECT_TRUE(
        modelcoding::readArchive("{\"class\": " + QByteArray::fromStdString(nested(200000)) + "}").is_discarded());

    // Up to the limit everything is read; brackets inside texts do not count.
    const std::string deepest =
        R"({"UPGRADE": [{"software": "BMW", "x": )" + nested(modelcoding::kMaxNesting - 3) + "}]}";
    auto upgrade = mj_objectWithKeyValues<KorvoUpdateUpgradeResultModel>(
        modelcoding::parseJSON(QByteArray::fromStdString(deepest)));
    ASSERT_TRUE(upgrade && upgrade->upgrade && upgrade->upgrade->size() == 1);
    EXPECT_EQ(upgrade->upgrade->at(0)->software(), "BMW");
    const std::string tooDeep =
        R"({"UPGRADE": [{"software": "BMW", "x": )" + nested(modelcoding::kMaxNesting - 2) + "}]}";
    EXPECT_TRUE(modelcoding::parseJSON(QByteArray::fromStdString(tooDeep)).is_discarded()) << "one level more";
    const std::string brackets = R"({"MSG_INFO": ")" + std::string(1000, '[') + R"(\"{{"})";
    auto result =
        mj_objectWithKeyValues<KorvoUpdateResultModel>(modelcoding::parseJSON(QByteArray::fromStdString(brackets)));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->msgInfo.size(), 1003);
}

// A damaged account file can hold anything where the class tag stands; it is no archive, and reading it must not
// throw (the account store reads these files on the GUI thread).
TEST(ResultModels, ArchivesWhoseClassTagIsNoTextAreRefused) {
    for (const char* text :
         {R"({"class": ["array"], "items": []})", R"({"class": 7, "value": "x"})",
          R"({"class": {"a": 1}, "properties": {}})", R"({"class": null, "items": []})",
          R"({"class": "array", "class": [], "items": []})", R"({"class": "text", "class": true})"}) {
        SCOPED_TRACE(text);
        const json archive = modelcoding::readArchive(text);
        ASSERT_FALSE(archive.is_discarded());
        EXPECT_FALSE(modelcoding::salvageArray<KorvoUpdateUserRegisteInfoModel>(text));
        EXPECT_FALSE(modelcoding::decodeText(archive));
        EXPECT_FALSE(modelcoding::mj_decode<KorvoUpdateLoginResultModel>(archive));
    }
    const auto empty = modelcoding::salvageArray<KorvoUpdateUserRegisteInfoModel>(R"({"class": "array", "items": []})");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->models.empty());
    EXPECT_FALSE(empty->damaged);
}
