<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="hu_HU" sourcelanguage="zh_CN">
<context>
    <name>CapturingDialog</name>
    <message>
        <source>裁剪图像</source>
        <translation>Kép kivágása</translation>
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
        <translation>Képátalakító</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>Fájl</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Megnyitás</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Mentés</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Kilépés</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Szerkesztés</translation>
    </message>
    <message>
        <source>打开截图</source>
        <translation>Rögzítőkeret megnyitása</translation>
    </message>
    <message>
        <source>关闭截图</source>
        <translation>Rögzítőkeret bezárása</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Súgó</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>Névjegy</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Kép kiválasztása</translation>
    </message>
    <message>
        <source>图片格式</source>
        <translation>Képek</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Értesítés</translation>
    </message>
    <message>
        <source>文件已保存</source>
        <translation>A fájl mentve</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>图片尚未保存,是否保存图片?</source>
        <translation>A kép még nincs mentve. Menti most?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Igen</translation>
    </message>
    <message>
        <source>否</source>
        <translation>Nem</translation>
    </message>
    <message>
        <source>update 文件夹中没有固件包,标志未写入。请先放入固件包再保存。</source>
        <translation>Az update mappában nincs firmware-csomag, ezért a logó nem lett kiírva. Helyezzen el ott egy csomagot, majd mentsen újra.</translation>
    </message>
    <message>
        <source>固件包写入失败。请检查 update 文件夹是否可写、固件包是否完整。</source>
        <translation>A firmware-csomag írása nem sikerült. Ellenőrizze, hogy az update mappa írható-e, és hogy a csomag ép-e.</translation>
    </message>
    <message>
        <source>图片无法转换,文件未保存。请选择其他图片。</source>
        <translation>A képet nem sikerült átalakítani; semmi sem lett mentve. Válasszon másik képet.</translation>
    </message>
    <message>
        <source>最新的固件包中没有启动标志条目,标志未写入。请换用带有启动标志的固件包。</source>
        <translation>A legújabb firmware-csomagban nincs indítólogó-bejegyzés, ezért a logó nem lett kiírva. Használjon olyan csomagot, amely tartalmaz indítólogót.</translation>
    </message>
    <message>
        <source>截图需要开启窗口合成的桌面。没有合成管理器时截图框只显示黑色,保存将转换所选图片。</source>
        <translation>A képernyőkivágáshoz kompozitálást használó asztal kell, de egy sem fut. A kivágókeret fekete, és a Mentés a kiválasztott képet alakítja át a keret területe helyett.</translation>
    </message>
    <message>
        <source>请先打开一张图片(文件 → 打开),再保存。</source>
        <translation>Előbb nyisson meg egy képet (Fájl → Megnyitás), majd mentsen.</translation>
    </message>
    <message>
        <source>无法读取图片 %1。请选择 PNG、JPEG、GIF、BMP 或 XPM 图片。</source>
        <translation>A(z) %1 kép nem olvasható. Válasszon PNG, JPEG, GIF, BMP vagy XPM képet.</translation>
    </message>
    <message>
        <source>无法在 %1 中创建临时工作文件夹: %2。图片无法转换。请确认临时文件夹可写,然后重新启动本程序。</source>
        <translation>Az ideiglenes munkamappa nem hozható létre itt: %1 (%2). A képek nem alakíthatók át. Ellenőrizze, hogy az ideiglenes mappa írható-e, majd indítsa újra a programot.</translation>
    </message>
    <message>
        <source>图片太大: %1 x %2 像素。最多可用 %3 百万像素,请选择较小的图片。</source>
        <translation>A kép túl nagy: %1 x %2 képpont. Legfeljebb %3 megapixel használható; válasszon kisebb képet.</translation>
    </message>
    <message>
        <source>%1 不是普通文件,不能作为图片打开。请选择一个图片文件。</source>
        <translation>A(z) %1 nem közönséges fájl, ezért nem nyitható meg képként. Válasszon egy képfájlt.</translation>
    </message>
</context>
</TS>
