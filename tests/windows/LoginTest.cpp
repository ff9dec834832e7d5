#include "foundations/InstanceLock.h"
#include "foundations/PathText.h"
#include "support/WindowFixture.h"
#include "windows/common/Face.h"
#include "windows/common/FaceBitmap.h"
#include "windows/common/QtPath.h"

#include <QBuffer>

#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

using namespace dovra;

namespace {

class LoginTest : public WindowFixture {
protected:
    explicit LoginTest(const std::filesystem::path& rootName = "Tarnwick") : WindowFixture(rootName) {}
    void SetUp() override {
        form = new Form3(services);
        QObject::connect(form, &Form3::LoginAccepted, [this] { accepted = true; });
        form->show();
    }
    void TearDown() override { delete form.data(); }
    // Types the business number and authentication number and presses the button.
    void LogIn(const QString& authNo = "2580") {
        Box("Text1")->setText("");
        Box("Text4")->setText("");
        QTest::keyClicks(Box("Text1"), "1208147521");
        QTest::keyClicks(Box("Text4"), authNo);
        Click(form, "btnLogin");
    }
    QLineEdit* Box(const char* name) const { return Find<QLineEdit>(form, name); }
    bool ButtonReady() const { return Find(form, "btnLogin")->isEnabled(); }

    QPointer<Form3> form;
    bool accepted = false;
};

// Installed into a folder named in Hangul with spaces, on a settings root named so too.
class HangulFoldersTest : public LoginTest {
protected:
    HangulFoldersTest() : LoginTest(PathFromUtf8("타른윅 설정 폴더")) {}
};

} // namespace

// Every path reaches the system whole, however Qt or the log hands it on: the cipher library beside
// the program, the instance lock, the settings, the day's log and the program's own log.
TEST_F(HangulFoldersTest, TheProgramRunsFromThemAndWritesIntoThem) {
    const auto programFolder = temp.path() / PathFromUtf8("도브라 승인 시스템");
    std::filesystem::create_directories(programFolder);
    std::filesystem::copy_file(TSEED_LIBRARY, programFolder / TSeedLibraryFileName());
    const auto library = FindCipherLibrary(PathToQt(programFolder));
    EXPECT_EQ(PathToUtf8(library), PathToUtf8(programFolder / TSeedLibraryFileName()));
    std::string error;
    ASSERT_TRUE(cipher.Load(library, error)) << error;
    auto lock = AcquireInstanceLock(paths().root);
    EXPECT_EQ(lock.outcome(), InstanceLock::Outcome::Acquired);
    services.programLog().Write(ProgramEvent::Start,
                                ProgramStartText("1.0.0", false, paths().root, library, "6.4.2"));

    peer->Answer(LoginAnswered("00", "새싹아동발달센터", "서울특별시"));
    LogIn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return accepted; }, 5000));
    EXPECT_NE(DayLog().find("[ Resp "), std::string::npos);
    EXPECT_NE(ReadWholeFile(paths().DovraSetting()).find("Number=000071052301"), std::string::npos);
    EXPECT_NE(ProgramLogText().find("타른윅 설정 폴더"), std::string::npos) << ProgramLogText();
    EXPECT_NE(ProgramLogText().find("도브라 승인 시스템"), std::string::npos) << ProgramLogText();
}

TEST_F(LoginTest, SendsWhatWasTypedAndSavesTheMerchantInOrder) {
    const std::string address = "서울특별시 마포구 월드컵로 120 3층";
    std::filesystem::create_directories(paths().root);
    peer->Answer(LoginAnswered("00", "새싹아동발달센터", address), ScriptedPeer::Delivery::InPieces);
    LogIn("abc");
    EXPECT_EQ(Box("Text4")->displayText().toStdString(), "***");
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(peer->requests[0].substr(4 + 34), "30" + Fit("1208147521", 15) + Fit("abc", 149));
    ASSERT_TRUE(QTest::qWaitFor([&] { return accepted; }, 5000));
    EXPECT_TRUE(form.isNull() || !form->isVisible());
    const std::string log = DayLog();
    EXPECT_EQ(log.find("abc"), std::string::npos);
    EXPECT_EQ(log.find("[ Resp "), log.rfind("[ Resp ")); // two pieces on the wire, one answer
    EXPECT_EQ(ReadWholeFile(paths().DovraSetting()),
              "[PellumInfo]\r\ndovra_Ip=127.0.0.1\r\ndovra_Port=" + std::to_string(peer->port()) +
                  "\r\ndovra_Issue_code=0301\r\n[ComInfo]\r\nName=" + Fit("새싹아동발달센터", 60) +
                  "\r\nNumber=000071052301\r\nTelephone=02-3456-7890 \r\nAddress=" + Fit(address, 150) +
                  "\r\nPrint=1\r\n");
    EXPECT_EQ(ReadWholeFile(paths().UpdateServiceClient()),
              "[CustomerInfo]\r\nbusiness_number=1208147521\r\n");
}

TEST_F(LoginTest, RefusalsAreToldAndTheButtonIsReady) {
    std::filesystem::create_directories(paths().root);
    const std::tuple<std::string, ScriptedPeer::Delivery, const char*> cases[] = {
        {LoginAnswered("33"), ScriptedPeer::Delivery::Whole,
         "사업자번호 또는 인증번호를 다시 확인해주시기 바랍니다."},
        {"0120" + std::string(120, 'A'), ScriptedPeer::Delivery::Raw, "서버의 응답을 읽을 수 없습니다"},
        {LoginAnswered("00"), ScriptedPeer::Delivery::CutShort, "연결할 수 없습니다"},
        // Settings that cannot be written keep the login too.
        {LoginAnswered("00"), ScriptedPeer::Delivery::Whole,
         "가맹점 정보를 설정 파일에 저장할 수 없습니다. 저장 공간과 폴더 권한을 확인해주세요"}};
    size_t told = 0;
    for (const auto& [answer, delivery, message] : cases) {
        if (++told == 4) {
            std::filesystem::create_directories(paths().DovraSetting().string() + ".new"); // blocks writes
        }
        peer->Answer(answer, delivery);
        LogIn();
        ASSERT_TRUE(QTest::qWaitFor([&] { return messages.shown.size() == told; }, 5000)) << message;
        EXPECT_EQ(messages.shown.back().text + messages.shown.back().title,
                  QString(message) + "도브라 승인 시스템");
        EXPECT_TRUE(form->isVisible() && ButtonReady()) << message;
    }
    EXPECT_EQ(ReadIni("ComInfo", "Name", paths().DovraSetting()), "");
    EXPECT_FALSE(accepted);
}

TEST_F(LoginTest, NothingIsSentWithoutAnAuthenticationNumberOrAServer) {
    // The button asks for the number; Enter sends it as blanks, without a word.
    Click(form, "btnLogin");
    EXPECT_EQ(messages.shown.at(0).text, "인증번호를 입력해주세요");
    WriteIni("PellumInfo", "dovra_Port", "15o24", paths().DovraSetting());
    Box("Text4")->setText("2580");
    Click(form, "btnLogin");
    EXPECT_EQ(messages.shown.at(1).text, "서버 접속 설정을 확인해주세요");
    EXPECT_TRUE(ButtonReady());
    QTest::qWait(50);
    EXPECT_EQ(peer->connections, 0);

    WriteIni("PellumInfo", "dovra_Port", std::to_string(peer->port()), paths().DovraSetting());
    Box("Text4")->setText("");
    QTest::keyClick(Box("Text4"), Qt::Key_Return);
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(peer->requests[0].substr(4 + 51), std::string(149, ' '));
    EXPECT_EQ(messages.shown.size(), 2u);
}

// Neither the request nor the answer could be logged: the merchant hears of it once, and the login goes
// on.
TEST_F(LoginTest, AnUnwritableLogIsToldOnce) {
    std::filesystem::create_directories(paths().root);
    std::ofstream(paths().LogFolder()) << "a file where the log folder should be";
    peer->Answer(LoginAnswered("00"));
    LogIn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return accepted && !messages.shown.empty(); }, 5000));
    QTest::qWait(50);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "거래 로그를 기록할 수 없습니다. 저장 공간과 폴더 권한을 확인해주세요");
}

// The warning waits on the exchanges, not on a window that may be gone by its turn.
TEST_F(LoginTest, AnUnwritableLogIsToldEvenWhenTheWindowIsGone) {
    std::filesystem::create_directories(paths().root);
    std::ofstream(paths().LogFolder()) << "a file where the log folder should be";
    QObject::connect(
        form->findChild<QTcpSocket*>("Winsock1"), &QAbstractSocket::stateChanged, qApp,
        [this](QAbstractSocket::SocketState state) {
            if (state == QAbstractSocket::ConnectedState) {
                delete form.data();
            }
        },
        Qt::QueuedConnection);
    LogIn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.shown.size() == 1; }, 5000));
    EXPECT_TRUE(form.isNull());
}

// The faces carry every label of the windows: each is drawn as its picture, pixel for pixel, or the
// window shows blank. At one pixel per point the picture is the bitmap as any reader decodes it; at two
// (the run with QT_SCALE_FACTOR=2) the larger picture, also when it was read ahead on another thread, and
// after a picture read ahead was never taken.
TEST(FaceTest, DrawsEachWindowsPicture) {
    const qreal ratio = qApp->devicePixelRatio();
    { FaceReadAhead untaken(QStringLiteral("Form1")); }
    for (const char* name : {"Form1", "Form2", "Form3", "Form5", "Form6"}) {
        const QString file =
            ratio > 1 ? QStringLiteral(":/faces/%1@2x.png") : QStringLiteral(":/faces/%1.bmp");
        QImage picture =
            QImage(file.arg(QLatin1String(name))).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_FALSE(picture.isNull()) << name;
        picture.setDevicePixelRatio(ratio);
        for (bool readAhead : {false, true}) {
            std::optional<FaceReadAhead> ahead;
            if (readAhead) {
                ahead.emplace(QLatin1String(name));
            }
            QWidget window;
            window.resize(picture.deviceIndependentSize().toSize());
            auto* face = new Face(QLatin1String(name), &window);
            QImage drawn(picture.size(), QImage::Format_ARGB32_Premultiplied);
            drawn.setDevicePixelRatio(ratio);
            drawn.fill(Qt::transparent);
            face->render(&drawn);
            EXPECT_TRUE(drawn == picture)
                << name << (readAhead ? " read ahead" : "") << " is not drawn as its picture at " << ratio
                << " pixels per point";
        }
    }
}

// A face is drawn where its pixels lie when they lie on a four-byte boundary, from a copy when they do
// not; bytes laid out otherwise, a bitmap as other programs write one or one cut short, are left to the
// image reader.
TEST(FaceBitmapTest, PixelsAreTakenInPlaceOrCopiedAndOtherBitmapsRefused) {
    QImage picture(5, 3, QImage::Format_RGB32); // odd width: a row's length is not a power of two
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            picture.setPixel(x, y, qRgb(40 * x, 80 * y, 7 + x * y));
        }
    }
    const QByteArray bytes = FaceBitmapBytes(picture);
    std::vector<quint32> words(static_cast<size_t>(bytes.size()) / 4);
    std::memcpy(words.data(), bytes.constData(), static_cast<size_t>(bytes.size()));
    const auto* aligned = reinterpret_cast<const uchar*>(words.data());
    const QImage inPlace = FaceBitmapPicture(aligned, bytes.size());
    EXPECT_TRUE(inPlace == picture) << "the picture read in place differs from the one written";
    EXPECT_EQ(inPlace.constBits(), aligned + FaceBitmapPixelsAt) << "the picture was copied";
    EXPECT_TRUE(QImage::fromData(bytes, "BMP") == picture) << "a reader of bitmaps sees another picture";

    const QByteArray shifted = '\0' + bytes;
    const QImage copied =
        FaceBitmapPicture(reinterpret_cast<const uchar*>(shifted.constData()) + 1, bytes.size());
    EXPECT_TRUE(copied == picture) << "the picture copied from unaligned pixels differs";
    EXPECT_EQ(reinterpret_cast<quintptr>(copied.constBits()) % 4, 0u);

    QBuffer written;
    written.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&written, "BMP"));
    for (const QByteArray& other : {written.data(), bytes.chopped(4)}) {
        EXPECT_TRUE(
            FaceBitmapPicture(reinterpret_cast<const uchar*>(other.constData()), other.size()).isNull());
    }
}
