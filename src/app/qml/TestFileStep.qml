import QtQuick
import QtQuick.Layouts
import Orvane

// Onboarding, last step: opening the sample CSV in Google Sheets for real.
ColumnLayout {
    spacing: 22

    HeaderBlock {
        Layout.fillWidth: true
        title: "サンプルCSVでテスト"
        subtitle: "静的な完了画面では終わりません。初回セットアップではサンプルCSVを実際に Google Sheets で開き、ダブルクリック体験の流れを確認します。"
        systemImage: "play.circle"
    }
    SymbolButton {
        objectName: "sampleButton"
        large: true
        text: "サンプルCSVを Google Sheets で開く"
        symbol: "tablecells"
        enabled: AppModel.isConnected && !AppModel.isOpening
        onClicked: AppModel.openSampleCSV()
    }
    StatusPill {
        objectName: "samplePill"
        visible: AppModel.didOpenSampleFile
        title: "Sample file opened"
        systemImage: "checkmark.circle.fill"
        isPositive: true
    }
    ErrorBanner {
        objectName: "connectFirstBanner"
        Layout.fillWidth: true
        visible: !AppModel.didOpenSampleFile && !AppModel.isConnected
        message: "Google 接続後にサンプルファイルを開けます。"
    }
    TipBanner {
        Layout.fillWidth: true
        title: "あとから見直せます"
        message: PlatformTexts.revisitOnboardingLaterTip
        systemImage: "menubar.rectangle"
    }
}
