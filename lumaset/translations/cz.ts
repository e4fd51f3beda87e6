<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="cs_CZ" sourcelanguage="zh_CN">
<context>
    <name>CapturingDialog</name>
    <message>
        <source>裁剪图像</source>
        <translation>Oříznout obrázek</translation>
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
        <translation>Převodník obrázků</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>Soubor</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Otevřít</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Uložit</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Konec</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Úpravy</translation>
    </message>
    <message>
        <source>打开截图</source>
        <translation>Otevřít snímací rámeček</translation>
    </message>
    <message>
        <source>关闭截图</source>
        <translation>Zavřít snímací rámeček</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Nápověda</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>O programu</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Vyberte obrázek</translation>
    </message>
    <message>
        <source>图片格式</source>
        <translation>Obrázky</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Upozornění</translation>
    </message>
    <message>
        <source>文件已保存</source>
        <translation>Soubor byl uložen</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>图片尚未保存,是否保存图片?</source>
        <translation>Obrázek ještě nebyl uložen. Chcete jej uložit?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Ano</translation>
    </message>
    <message>
        <source>否</source>
        <translation>Ne</translation>
    </message>
    <message>
        <source>update 文件夹中没有固件包,标志未写入。请先放入固件包再保存。</source>
        <translation>Ve složce update není žádný balíček firmwaru, logo proto nebylo zapsáno. Vložte do ní balíček a uložte znovu.</translation>
    </message>
    <message>
        <source>固件包写入失败。请检查 update 文件夹是否可写、固件包是否完整。</source>
        <translation>Zápis balíčku firmwaru se nezdařil. Zkontrolujte, zda lze do složky update zapisovat a zda je balíček úplný.</translation>
    </message>
    <message>
        <source>图片无法转换,文件未保存。请选择其他图片。</source>
        <translation>Obrázek nelze převést; nic nebylo uloženo. Vyberte jiný obrázek.</translation>
    </message>
    <message>
        <source>最新的固件包中没有启动标志条目,标志未写入。请换用带有启动标志的固件包。</source>
        <translation>Nejnovější balíček firmwaru nemá položku úvodního loga, proto logo nebylo zapsáno. Použijte balíček, který úvodní logo obsahuje.</translation>
    </message>
    <message>
        <source>截图需要开启窗口合成的桌面。没有合成管理器时截图框只显示黑色,保存将转换所选图片。</source>
        <translation>Snímání obrazovky vyžaduje pracovní plochu s kompozicí, která neběží. Rámeček snímání je černý a Uložit převede vybraný obrázek místo oblasti rámečku.</translation>
    </message>
    <message>
        <source>请先打开一张图片(文件 → 打开),再保存。</source>
        <translation>Nejprve otevřete obrázek (Soubor → Otevřít) a potom jej uložte.</translation>
    </message>
    <message>
        <source>无法读取图片 %1。请选择 PNG、JPEG、GIF、BMP 或 XPM 图片。</source>
        <translation>Obrázek %1 nelze přečíst. Vyberte obrázek ve formátu PNG, JPEG, GIF, BMP nebo XPM.</translation>
    </message>
    <message>
        <source>无法在 %1 中创建临时工作文件夹: %2。图片无法转换。请确认临时文件夹可写,然后重新启动本程序。</source>
        <translation>Dočasnou pracovní složku nelze vytvořit v %1: %2. Obrázky nelze převést. Zkontrolujte, zda lze do dočasné složky zapisovat, a potom program spusťte znovu.</translation>
    </message>
    <message>
        <source>图片太大: %1 x %2 像素。最多可用 %3 百万像素,请选择较小的图片。</source>
        <translation>Obrázek je příliš velký: %1 x %2 pixelů. Použít lze nejvýše %3 megapixelů; vyberte menší obrázek.</translation>
    </message>
    <message>
        <source>%1 不是普通文件,不能作为图片打开。请选择一个图片文件。</source>
        <translation>%1 není běžný soubor a nelze jej otevřít jako obrázek. Vyberte soubor s obrázkem.</translation>
    </message>
</context>
</TS>
