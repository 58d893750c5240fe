import QtQuick
import QtQuick.Layouts
import Orvane

// Onboarding: signing in to Google through the browser.
ColumnLayout {
    spacing: 22

    HeaderBlock {
        Layout.fillWidth: true
        title: "Google に接続"
        subtitle: "認証はシステムブラウザで行います。Orvane は drive.file スコープを使い、Drive 全体を読む権限は要求しません。"
        systemImage: "person.crop.circle.badge.checkmark"
    }
    RowLayout {
        spacing: 12

        SymbolButton {
            objectName: "connectButton"
            large: true
            text: AppModel.isConnected ? "Connected" : "Connect Google"
            symbol: AppModel.isConnected ? "checkmark.circle.fill" : "globe"
            enabled: !AppModel.isConnected && !AppModel.isConnectingGoogle
            onClicked: AppModel.connectGoogle()
        }
        StatusPill {
            objectName: "connectionPill"
            title: AppModel.googleConnectionStatusTitle
            systemImage: AppModel.isConnected ? "checkmark.circle.fill"
                         : AppModel.isConnectingGoogle ? "clock" : "person.crop.circle.badge.exclamationmark"
            isPositive: AppModel.isConnected
        }
    }
    ErrorBanner {
        objectName: "errorBanner"
        Layout.fillWidth: true
        visible: AppModel.lastError !== ""
        message: AppModel.lastError
    }
}
