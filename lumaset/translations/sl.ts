<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="sk_SK" sourcelanguage="zh_CN">
<context>
    <name>CapturingDialog</name>
    <message>
        <source>裁剪图像</source>
        <translation>Orezať obrázok</translation>
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
        <translation>Prevodník obrázkov</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>Súbor</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Otvoriť</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Uložiť</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Koniec</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Upraviť</translation>
    </message>
    <message>
        <source>打开截图</source>
        <translation>Otvoriť rám snímania</translation>
    </message>
    <message>
        <source>关闭截图</source>
        <translation>Zavrieť rám snímania</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Pomocník</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>O programe</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Vyberte obrázok</translation>
    </message>
    <message>
        <source>图片格式</source>
        <translation>Obrázky</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Upozornenie</translation>
    </message>
    <message>
        <source>文件已保存</source>
        <translation>Súbor bol uložený</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>图片尚未保存,是否保存图片?</source>
        <translation>Obrázok ešte nie je uložený. Chcete ho uložiť?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Áno</translation>
    </message>
    <message>
        <source>否</source>
        <translation>Nie</translation>
    </message>
    <message>
        <source>update 文件夹中没有固件包,标志未写入。请先放入固件包再保存。</source>
        <translation>V priečinku update nie je žiadny balík firmvéru, preto logo nebolo zapísané. Vložte doň balík a uložte znova.</translation>
    </message>
    <message>
        <source>固件包写入失败。请检查 update 文件夹是否可写、固件包是否完整。</source>
        <translation>Zápis balíka firmvéru zlyhal. Skontrolujte, či sa do priečinka update dá zapisovať a či je balík celý.</translation>
    </message>
    <message>
        <source>图片无法转换,文件未保存。请选择其他图片。</source>
        <translation>Obrázok sa nepodarilo previesť; nič sa neuložilo. Vyberte iný obrázok.</translation>
    </message>
    <message>
        <source>最新的固件包中没有启动标志条目,标志未写入。请换用带有启动标志的固件包。</source>
        <translation>Najnovší balík firmvéru nemá položku úvodného loga, preto logo nebolo zapísané. Použite balík, ktorý obsahuje úvodné logo.</translation>
    </message>
    <message>
        <source>截图需要开启窗口合成的桌面。没有合成管理器时截图框只显示黑色,保存将转换所选图片。</source>
        <translation>Snímanie obrazovky vyžaduje pracovnú plochu s kompozíciou, ktorá nie je spustená. Rámik snímania je čierny a Uložiť prevedie vybraný obrázok namiesto oblasti rámika.</translation>
    </message>
    <message>
        <source>请先打开一张图片(文件 → 打开),再保存。</source>
        <translation>Najprv otvorte obrázok (Súbor → Otvoriť) a potom ho uložte.</translation>
    </message>
    <message>
        <source>无法读取图片 %1。请选择 PNG、JPEG、GIF、BMP 或 XPM 图片。</source>
        <translation>Obrázok %1 sa nedá prečítať. Vyberte obrázok vo formáte PNG, JPEG, GIF, BMP alebo XPM.</translation>
    </message>
    <message>
        <source>无法在 %1 中创建临时工作文件夹: %2。图片无法转换。请确认临时文件夹可写,然后重新启动本程序。</source>
        <translation>Dočasný pracovný priečinok sa nedá vytvoriť v %1: %2. Obrázky sa nedajú previesť. Skontrolujte, či sa dá do dočasného priečinka zapisovať, a potom program spustite znova.</translation>
    </message>
    <message>
        <source>图片太大: %1 x %2 像素。最多可用 %3 百万像素,请选择较小的图片。</source>
        <translation>Obrázok je príliš veľký: %1 x %2 pixelov. Použiť sa dá najviac %3 megapixelov; vyberte menší obrázok.</translation>
    </message>
    <message>
        <source>%1 不是普通文件,不能作为图片打开。请选择一个图片文件。</source>
        <translation>%1 nie je bežný súbor a nedá sa otvoriť ako obrázok. Vyberte súbor s obrázkom.</translation>
    </message>
</context>
</TS>
