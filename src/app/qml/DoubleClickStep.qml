import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane

// Onboarding: making Orvane the application the file manager opens these
// files with.
ColumnLayout {
    id: step

    signal helpRequested

    // Reports show only for a registration asked for on this page.
    property bool didAskForDefault: false

    spacing: 22

    HeaderBlock {
        Layout.fillWidth: true
        title: PlatformTexts.doubleClickTitle
        subtitle: PlatformTexts.doubleClickSubtitle
        systemImage: "cursorarrow.click.2"
    }
    InfoRows {
        Layout.fillWidth: true
        rows: [
            { title: "CSV / TSV", detail: ".csv と .tsv を Orvane で開く" },
            { title: "Excel", detail: ".xls / .xlsx / .xlsm を Orvane で開く" },
            { title: "Word", detail: ".doc / .docx を Orvane で開く" },
            { title: "PowerPoint", detail: ".ppt / .pptx を Orvane で開く" }
        ]
    }
    RowLayout {
        spacing: 12

        SymbolButton {
            objectName: "makeDefaultButton"
            large: true
            text: "Make Orvane the default"
            symbol: "checkmark.circle.fill"
            onClicked: {
                step.didAskForDefault = true;
                AppModel.makeOrvaneTheDefault();
            }
        }
        SymbolButton {
            objectName: "helpButton"
            large: true
            text: PlatformTexts.doubleClickHelpButton
            symbol: "questionmark.circle"
            onClicked: step.helpRequested()
        }
    }
    // Green, with room for the whole list of file types it names. Both
    // banners show what making Orvane the default came to, never a later
    // status or error of something else.
    BannerBox {
        id: madeDefault

        readonly property string message: AppModel.defaultApplicationReport

        objectName: "madeDefaultBanner"
        Layout.fillWidth: true
        visible: step.didAskForDefault && message !== "" && !AppModel.didMakingDefaultFail
        tint: Theme.green
        tintOpacity: 0.12
        padding: 12
        spacing: 10
        systemImage: "checkmark.circle.fill"
        symbolSize: 16
        symbolWidth: 16

        Label {
            Layout.fillWidth: true
            text: madeDefault.message
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.pixelSize: Theme.calloutSize
        }
    }
    ErrorBanner {
        objectName: "makeDefaultErrorBanner"
        Layout.fillWidth: true
        visible: step.didAskForDefault && AppModel.didMakingDefaultFail
        message: AppModel.defaultApplicationReport
    }
}
