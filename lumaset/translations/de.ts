<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="zh_CN">
<context>
    <name>CapturingDialog</name>
    <message>
        <source>裁剪图像</source>
        <translation>Bild zuschneiden</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>图片转换工具</source>
        <translation>Bildkonverter</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>打开截图</source>
        <translation>Aufnahmerahmen öffnen</translation>
    </message>
    <message>
        <source>关闭截图</source>
        <translation>Aufnahmerahmen schließen</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Bild auswählen</translation>
    </message>
    <message>
        <source>图片格式</source>
        <translation>Bilder</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>文件已保存</source>
        <translation>Datei gespeichert</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>图片尚未保存,是否保存图片?</source>
        <translation>Das Bild wurde noch nicht gespeichert. Jetzt speichern?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>否</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>update 文件夹中没有固件包,标志未写入。请先放入固件包再保存。</source>
        <translation>Im Ordner update liegt kein Firmware-Paket; das Logo wurde nicht geschrieben. Legen Sie ein Paket dort ab und speichern Sie erneut.</translation>
    </message>
    <message>
        <source>固件包写入失败。请检查 update 文件夹是否可写、固件包是否完整。</source>
        <translation>Das Firmware-Paket konnte nicht geschrieben werden. Prüfen Sie, ob der Ordner update beschreibbar und das Paket vollständig ist.</translation>
    </message>
    <message>
        <source>图片无法转换,文件未保存。请选择其他图片。</source>
        <translation>Das Bild konnte nicht umgewandelt werden; nichts wurde gespeichert. Wählen Sie ein anderes Bild.</translation>
    </message>
    <message>
        <source>最新的固件包中没有启动标志条目,标志未写入。请换用带有启动标志的固件包。</source>
        <translation>Das neueste Firmware-Paket hat keinen Eintrag für das Startlogo, daher wurde das Logo nicht geschrieben. Verwenden Sie ein Paket mit Startlogo.</translation>
    </message>
    <message>
        <source>截图需要开启窗口合成的桌面。没有合成管理器时截图框只显示黑色,保存将转换所选图片。</source>
        <translation>Die Bildschirmaufnahme braucht einen Desktop mit Compositing, und keiner läuft. Der Aufnahmerahmen bleibt schwarz, und Speichern wandelt das gewählte Bild statt des Rahmenbereichs um.</translation>
    </message>
    <message>
        <source>请先打开一张图片(文件 → 打开),再保存。</source>
        <translation>Öffnen Sie zuerst ein Bild (Datei → Öffnen) und speichern Sie dann.</translation>
    </message>
    <message>
        <source>无法读取图片 %1。请选择 PNG、JPEG、GIF、BMP 或 XPM 图片。</source>
        <translation>Das Bild %1 kann nicht gelesen werden. Wählen Sie ein PNG-, JPEG-, GIF-, BMP- oder XPM-Bild.</translation>
    </message>
    <message>
        <source>无法在 %1 中创建临时工作文件夹: %2。图片无法转换。请确认临时文件夹可写,然后重新启动本程序。</source>
        <translation>Der temporäre Arbeitsordner kann in %1 nicht angelegt werden: %2. Bilder können nicht umgewandelt werden. Sorgen Sie dafür, dass der temporäre Ordner beschreibbar ist, und starten Sie das Programm neu.</translation>
    </message>
    <message>
        <source>图片太大: %1 x %2 像素。最多可用 %3 百万像素,请选择较小的图片。</source>
        <translation>Das Bild ist zu groß: %1 x %2 Pixel. Höchstens %3 Megapixel sind möglich; wählen Sie ein kleineres Bild.</translation>
    </message>
    <message>
        <source>%1 不是普通文件,不能作为图片打开。请选择一个图片文件。</source>
        <translation>%1 ist keine normale Datei und kann nicht als Bild geöffnet werden. Wählen Sie eine Bilddatei.</translation>
    </message>
</context>
</TS>
