// The main view model: list rules table-driven from fixtures/viewmodel.json, and the request wrappers against the
// local test server (their parameters, and refusals of missing ids and ticket fields with nothing sent).
#include "KorvoUpdateMainViewModel.h"
#include "KorvoUpdateUserManager.h"
#include "TestWebServer.h"
#include "webclienttest.h"

#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

using ojson = nlohmann::ordered_json;

namespace {

ojson fixtures() {
    QFile file(QStringLiteral(WEB_CLIENT_FIXTURES_DIR "/viewmodel.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return ojson::parse(file.readAll().toStdString());
}

QString q(const ojson& value) {
    return QString::fromStdString(value.get<std::string>());
}

QStringList list(const ojson& value) {
    QStringList out;
    for (const auto& item : value)
        out << q(item);
    return out;
}

std::vector<KorvoUpdateDownloadModelPtr> records(const ojson& value) {
    std::vector<KorvoUpdateDownloadModelPtr> out;
    for (const auto& item : value) {
        if (item.is_array()) {
            auto record = KorvoUpdateDownloadModel::create();
            record->setSoftware(q(item[0]));
            record->setVersion(q(item[1]));
            out.push_back(record);
        } else {
            out.push_back(KorvoUpdateDownloadModel::mj_objectWithKeyValues(nlohmann::json(item)));
        }
    }
    return out;
}

// Each group as [[vehicle, software, subVehicles], ...].
ojson describe(const std::vector<KorvoUpdateVehicleGroup>& groups) {
    ojson out = ojson::array();
    for (const auto& group : groups) {
        ojson g = ojson::array();
        for (const auto& family : group) {
            ojson subs = ojson::array();
            for (const QString& s : family->subVehicles)
                subs.push_back(s.toStdString());
            g.push_back({family->vehicle.toStdString(), family->model->software().toStdString(), subs});
        }
        out.push_back(g);
    }
    return out;
}

} // namespace

TEST(MainViewModelLists, FilterLastestSoftware) {
    KorvoUpdateMainViewModel model;
    const ojson all = fixtures();
    for (const auto& c : all["filterLastestSoftware"]) {
        SCOPED_TRACE(c["name"].get<std::string>());
        const auto given = records(c["records"]);
        const auto kept = model.filterLastestSoftware(given);
        ojson got = ojson::array();
        for (const auto& r : kept)
            got.push_back({r->software().toStdString(), r->version().toStdString()});
        EXPECT_EQ(got, c["expected"]) << got.dump();
    }
    EXPECT_EQ(KorvoUpdateMainViewModel::versionNumber("QM82_V1.2.3_EN"), 1.2);
    EXPECT_EQ(KorvoUpdateMainViewModel::versionNumber("V 2.5e1x"), 25);
    EXPECT_EQ(KorvoUpdateMainViewModel::versionNumber("v2"), 0);
    EXPECT_EQ(KorvoUpdateMainViewModel::versionNumber("V+1.5"), 1.5);
    EXPECT_EQ(KorvoUpdateMainViewModel::versionNumber("V-1.5"), -1.5);
}

TEST(MainViewModelLists, TransformFullDwonloadModels) {
    KorvoUpdateMainViewModel model;
    const ojson all = fixtures();
    for (const auto& c : all["transformFullDwonloadModels"]) {
        SCOPED_TRACE(c["name"].get<std::string>());
        QMap<QString, KorvoUpdateVehicleModel> vehicles;
        for (auto it = c["vehicles"].begin(); it != c["vehicles"].end(); ++it)
            vehicles.insert(QString::fromStdString(it.key()),
                            KorvoUpdateVehicleModel(QString::fromStdString(it.key()), q(it.value())));
        const auto given = records(c["records"]);
        const auto groups = model.transformFullDwonloadModels(given, vehicles, q(c["product"]));
        EXPECT_EQ(describe(groups), c["expected"]) << describe(groups).dump();
        if (c.contains("recordVehicles")) {
            for (size_t i = 0; i < given.size(); ++i)
                EXPECT_EQ(given[i]->vehicle(), q(c["recordVehicles"][i]));
        }
        for (const auto& group : groups) {
            for (const auto& family : group) {
                if (!family->vehicle.toUpper().startsWith("MAINTENANCE_")) {
                    EXPECT_EQ(family->model->vehicle(), family->vehicle) << "the record takes the family's vehicle";
                }
            }
        }
    }
}

TEST(MainViewModelLists, TransformDwonloadModels) {
    KorvoUpdateMainViewModel model;
    const ojson all = fixtures();
    for (const auto& c : all["transformDwonloadModels"]) {
        SCOPED_TRACE(c["name"].get<std::string>());
        KorvoUpdateVehicleFolders vehicles;
        for (const auto& row : c["vehicles"])
            vehicles.emplace_back(q(row[0]), list(row[1]));
        const auto given = records(c["records"]);
        const auto groups = model.transformDwonloadModels(given, vehicles, "unused");
        EXPECT_EQ(describe(groups), c["expected"]) << describe(groups).dump();
        EXPECT_EQ(given[0]->vehicle(), "Europe");
    }
}

// A package list as large as a reply may be, every package of its own make: grouping stays linear, not a search
// of all groups per package.
TEST(MainViewModelLists, GroupingALargeListOfDistinctMakesIsQuick) {
    std::vector<KorvoUpdateDownloadModelPtr> given;
    for (int i = 0; i < 100000; ++i) {
        auto record = KorvoUpdateDownloadModel::create();
        record->setSoftware(QStringLiteral("MAKE%1").arg(i, 6, 10, QLatin1Char('0')));
        given.push_back(record);
    }
    given.push_back(given.front());
    const auto start = std::chrono::steady_clock::now();
    const auto groups = KorvoUpdateMainViewModel().transformFullDwonloadModels(given, {}, QStringLiteral("TD610"));
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(groups.size(), 100000u);
    EXPECT_EQ(groups.front().size(), 2u);
    EXPECT_EQ(groups.back().front()->vehicle, "MAKE099999");
    EXPECT_LT(seconds, 10.0);
}

TEST(MainViewModelLists, RelatedMakesModelTestsAndDropLists) {
    KorvoUpdateMainViewModel model;
    const ojson all = fixtures();
    for (const auto& c : all["relatedMakes"]) {
        SCOPED_TRACE(c["make"].get<std::string>());
        EXPECT_EQ(model.getPaySubVehicles(q(c["make"]), list(c["fallback"])), list(c["pay"]));
        EXPECT_EQ(model.getSubVehicles(q(c["make"]), list(c["fallback"])), list(c["plain"]));
    }
    for (const auto& c : all["modelTests"]) {
        SCOPED_TRACE(c["product"].get<std::string>());
        EXPECT_EQ(model.isQM82Default(q(c["product"])), c["qm82Default"].get<bool>());
        EXPECT_EQ(model.getIsProduct(q(c["product"])), c["isProduct"].get<bool>());
    }
    for (const auto& c : all["resetMainData"]) {
        SCOPED_TRACE(c["product"].get<std::string>() + " " + c["vehicle"].get<std::string>());
        auto family = std::make_shared<KorvoUpdateVehicleFamilyModel>();
        family->vehicle = q(c["vehicle"]);
        EXPECT_EQ(model.resetMainData(family, q(c["product"])).size(), c["kept"].get<bool>() ? 1u : 0u);
    }
}

TEST(MainViewModelLists, CleaningOfTheUserName) {
    for (const char* empty : {"NULL", "<null>", "(null)", "", " \n\t"})
        EXPECT_EQ(KorvoUpdateMainViewModel::cleanedValue(empty), "") << empty;
    EXPECT_EQ(KorvoUpdateMainViewModel::cleanedValue(QString()), "");
    EXPECT_EQ(KorvoUpdateMainViewModel::cleanedValue(" ann "), " ann ");
    EXPECT_EQ(KorvoUpdateMainViewModel::cleanedValue("null"), "null");
}

namespace {

class MainViewModelRequests : public ::testing::Test {
protected:
    void SetUp() override {
        KorvoUpdateHTTPSessionManager::sharedManager().setBaseURL(QString::fromStdString(server.baseURL()));
        KorvoUpdateHTTPSessionManager::sharedManager().setCAFile({});
        KorvoUpdateNetworkRequest::setRequestTimeoutInterval(10);
        KorvoUpdateLoginResultModel login;
        login.userReName = "ann";
        ASSERT_TRUE(KorvoUpdateUserManager::sharedManager().saveUserInfo(login));
    }
    // The JSON a request carried under its body key.
    ojson sent(size_t index, const char* bodyKey = "information") {
        EXPECT_TRUE(server.waitForRequests(index + 1));
        const auto requests = server.requests();
        if (requests.size() <= index) return nullptr;
        return ojson::parse(TestWebServer::formValue(requests[index].body, bodyKey), nullptr, false);
    }
    template <class T> struct Seen {
        std::atomic<bool> done{false}; // set on the network queue, read on the test thread
        std::shared_ptr<T> model;
        std::optional<KorvoUpdateNetworkError> error;
        KorvoUpdateCompletion<T> block() {
            return [this](const std::shared_ptr<T>& m, const std::optional<KorvoUpdateNetworkError>& e) {
                model = m;
                error = e;
                done = true;
            };
        }
    };
    KorvoUpdateMainViewModel model;
    TestWebServer server;
};

} // namespace

TEST_F(MainViewModelRequests, WrappersFillTheirParametersFromTheSavedAccount) {
    server.setHandler([](const TestRequest&) {
        TestResponse r;
        r.body = TestWebServer::xmlReply(
            R"({"MSG_CODE": 1, "UPGRADE": [{"software": "BMW", "version": "V2.0", "file_path": "a/b.zip", "price": "1.5"}]})");
        return r;
    });
    Seen<KorvoUpdateProductResultModel> products;
    model.requestProductSerialNumbersWithCompletion(products.block());
    ASSERT_TRUE(waitUntil([&] { return products.done.load(); }));
    EXPECT_TRUE(products.model && !products.error);
    EXPECT_EQ(server.requests()[0].target, "/webs/WebService.asmx/UserProductInformation");
    EXPECT_EQ(sent(0), (ojson{{"user_name", "ann"}}));

    Seen<KorvoUpdateUpgradeResultModel> updates;
    model.requestMyUpdatesWithSerialID(std::nullopt, updates.block());
    ASSERT_TRUE(waitUntil([&] { return updates.done.load(); }));
    ASSERT_TRUE(updates.model && updates.model->upgrade && updates.model->upgrade->size() == 1);
    EXPECT_EQ(updates.model->upgrade->at(0)->filePath(), "a/b.zip");
    EXPECT_EQ(updates.model->upgrade->at(0)->price(), 1.5);
    EXPECT_EQ(sent(1).dump(), R"({"login_name":"ann","serialid":0})");

    Seen<KorvoUpdateSoftwareResultModel> software;
    model.requestSoftwareInfoWithProductID(42, software.block());
    ASSERT_TRUE(waitUntil([&] { return software.done.load(); }));
    EXPECT_EQ(sent(2).dump(), R"({"product_id":42})");

    Seen<KorvoUpdateProductResultModel> catalogue;
    model.requestProductIDsWithCompletion(catalogue.block());
    ASSERT_TRUE(waitUntil([&] { return catalogue.done.load(); }));
    EXPECT_EQ(server.requests()[3].body, "information={}");

    Seen<KorvoUpdateOrderResultModel> order;
    model.getOrderStatusWithOrderID("A-17", order.block());
    ASSERT_TRUE(waitUntil([&] { return order.done.load(); }));
    EXPECT_EQ(sent(4).dump(), R"({"order":"A-17"})");

    KorvoUpdateSupportTicketsModel ticket;
    ticket.subject = "No power & no light";
    ticket.scanner = "QM82";
    ticket.software = "BMW";
    ticket.year = "2019";
    ticket.engineSize = "2.0";
    ticket.problem = "100% dead + smoke";
    ticket.vin = "WBA123";
    ticket.version = "V1.2";
    Seen<KorvoUpdateResultModel> complaint;
    model.requestUserComplaint(&ticket, complaint.block());
    ASSERT_TRUE(waitUntil([&] { return complaint.done.load(); }));
    EXPECT_EQ(server.requests()[5].target, "/webs/WebService.asmx/UserComplaint");
    EXPECT_EQ(sent(5, "contents").dump(),
              R"({"user_name":"ann","title":"No power & no light","product_name":"QM82","software_name":"BMW",)"
              R"("years":"2019","engine":"2.0","problem":"100% dead + smoke","vin":"WBA123","version":"V1.2",)"
              R"("vech":"null","car_m":"null","part_number":"null"})");
}

TEST_F(MainViewModelRequests, MissingIdsOrTicketFieldsAreRefusedWithNothingSent) {
    Seen<KorvoUpdateSoftwareResultModel> software;
    model.requestSoftwareInfoWithProductID(std::nullopt, software.block());
    Seen<KorvoUpdateOrderResultModel> order;
    model.getOrderStatusWithOrderID(nullptr, order.block());
    Seen<KorvoUpdateResultModel> noTicket;
    model.requestUserComplaint(nullptr, noTicket.block());
    KorvoUpdateSupportTicketsModel ticket;
    ticket.subject = ticket.scanner = ticket.software = ticket.year = ticket.engineSize = ticket.problem = "x";
    ticket.vin = "";
    Seen<KorvoUpdateResultModel> partial; // version missing
    model.requestUserComplaint(&ticket, partial.block());
    ASSERT_TRUE(waitUntil([&] { return software.done && order.done && noTicket.done && partial.done; }));
    for (const auto* error : {&software.error, &order.error, &noTicket.error, &partial.error}) {
        ASSERT_TRUE(error->has_value());
        EXPECT_EQ((*error)->kind, KorvoUpdateNetworkError::Kind::Caller);
    }
    EXPECT_FALSE(software.model || order.model || noTicket.model || partial.model);
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(MainViewModelRequests, WithoutASavedLogInTheEmptyNameIsSent) {
    QFile::remove(KorvoUpdateUserManager::documentPath(kKorvoUpdateUserInfoFile));
    Seen<KorvoUpdateProductResultModel> products;
    model.requestProductSerialNumbersWithCompletion(products.block());
    ASSERT_TRUE(waitUntil([&] { return products.done.load(); }));
    EXPECT_EQ(sent(0).dump(), R"({"user_name":""})");
}
