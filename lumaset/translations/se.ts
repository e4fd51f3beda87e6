<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="sv_SE" sourcelanguage="zh_CN">
<context>
    <name>CapturingDialog</name>
    <message>
        <source>裁剪图像</source>
        <translation>Beskär bild</translation>
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
        <translation>Bildkonverterare</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>Arkiv</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Öppna</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Spara</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Avsluta</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Redigera</translation>
    </message>
    <message>
        <source>打开截图</source>
        <translation>Öppna fångstram</translation>
    </message>
    <message>
        <source>关闭截图</source>
        <translation>Stäng fångstram</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Hjälp</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>Om</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Välj en bild</translation>
    </message>
    <message>
        <source>图片格式</source>
        <translation>Bilder</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Meddelande</translation>
    </message>
    <message>
        <source>文件已保存</source>
        <translation>Filen har sparats</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>图片尚未保存,是否保存图片?</source>
        <translation>Bilden har inte sparats ännu. Vill du spara den?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>否</source>
        <translation>Nej</translation>
    </message>
    <message>
        <source>update 文件夹中没有固件包,标志未写入。请先放入固件包再保存。</source>
        <translation>Det finns inget firmwarepaket i mappen update, så logotypen skrevs inte. Lägg ett paket där och spara igen.</translation>
    </message>
    <message>
        <source>固件包写入失败。请检查 update 文件夹是否可写、固件包是否完整。</source>
        <translation>Det gick inte att skriva firmwarepaketet. Kontrollera att mappen update är skrivbar och att paketet är helt.</translation>
    </message>
    <message>
        <source>图片无法转换,文件未保存。请选择其他图片。</source>
        <translation>Bilden kunde inte konverteras; inget sparades. Välj en annan bild.</translation>
    </message>
    <message>
        <source>最新的固件包中没有启动标志条目,标志未写入。请换用带有启动标志的固件包。</source>
        <translation>Det senaste firmwarepaketet saknar en post för startlogotypen, så logotypen skrevs inte. Använd ett paket som innehåller en startlogotyp.</translation>
    </message>
    <message>
        <source>截图需要开启窗口合成的桌面。没有合成管理器时截图框只显示黑色,保存将转换所选图片。</source>
        <translation>Skärmklipp kräver ett skrivbord med komposition, och inget sådant körs. Klipprutan visas svart, och Spara konverterar den valda bilden i stället för rutans område.</translation>
    </message>
    <message>
        <source>请先打开一张图片(文件 → 打开),再保存。</source>
        <translation>Öppna först en bild (Arkiv → Öppna) och spara sedan.</translation>
    </message>
    <message>
        <source>无法读取图片 %1。请选择 PNG、JPEG、GIF、BMP 或 XPM 图片。</source>
        <translation>Bilden %1 kan inte läsas. Välj en PNG-, JPEG-, GIF-, BMP- eller XPM-bild.</translation>
    </message>
    <message>
        <source>无法在 %1 中创建临时工作文件夹: %2。图片无法转换。请确认临时文件夹可写,然后重新启动本程序。</source>
        <translation>Den tillfälliga arbetsmappen kan inte skapas i %1: %2. Bilder kan inte konverteras. Se till att det går att skriva i den tillfälliga mappen och starta sedan programmet igen.</translation>
    </message>
    <message>
        <source>图片太大: %1 x %2 像素。最多可用 %3 百万像素,请选择较小的图片。</source>
        <translation>Bilden är för stor: %1 x %2 bildpunkter. Högst %3 megapixel kan användas; välj en mindre bild.</translation>
    </message>
    <message>
        <source>%1 不是普通文件,不能作为图片打开。请选择一个图片文件。</source>
        <translation>%1 är ingen vanlig fil och kan inte öppnas som bild. Välj en bildfil.</translation>
    </message>
</context>
</TS>
