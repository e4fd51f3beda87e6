<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT" sourcelanguage="zh_CN">
<context>
    <name>CapturingDialog</name>
    <message>
        <source>裁剪图像</source>
        <translation>Ritaglia immagine</translation>
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
        <translation>Convertitore di immagini</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Apri</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Salva</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Esci</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Modifica</translation>
    </message>
    <message>
        <source>打开截图</source>
        <translation>Apri cornice di cattura</translation>
    </message>
    <message>
        <source>关闭截图</source>
        <translation>Chiudi cornice di cattura</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Aiuto</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>Informazioni</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Scegli un'immagine</translation>
    </message>
    <message>
        <source>图片格式</source>
        <translation>Immagini</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Avviso</translation>
    </message>
    <message>
        <source>文件已保存</source>
        <translation>File salvato</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>图片尚未保存,是否保存图片?</source>
        <translation>L'immagine non è ancora stata salvata. Salvarla?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Sì</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>update 文件夹中没有固件包,标志未写入。请先放入固件包再保存。</source>
        <translation>Nella cartella update non c'è alcun pacchetto firmware, quindi il logo non è stato scritto. Inserite un pacchetto e salvate di nuovo.</translation>
    </message>
    <message>
        <source>固件包写入失败。请检查 update 文件夹是否可写、固件包是否完整。</source>
        <translation>Scrittura del pacchetto firmware non riuscita. Verificate che la cartella update sia scrivibile e che il pacchetto sia integro.</translation>
    </message>
    <message>
        <source>图片无法转换,文件未保存。请选择其他图片。</source>
        <translation>Impossibile convertire l'immagine; non è stato salvato nulla. Scegliete un'altra immagine.</translation>
    </message>
    <message>
        <source>最新的固件包中没有启动标志条目,标志未写入。请换用带有启动标志的固件包。</source>
        <translation>Il pacchetto firmware più recente non ha una voce per il logo di avvio, quindi il logo non è stato scritto. Usa un pacchetto che contenga un logo di avvio.</translation>
    </message>
    <message>
        <source>截图需要开启窗口合成的桌面。没有合成管理器时截图框只显示黑色,保存将转换所选图片。</source>
        <translation>La cattura richiede un desktop con composizione, e non ce n&apos;è uno attivo. La cornice di cattura appare nera e Salva converte l&apos;immagine scelta invece dell&apos;area della cornice.</translation>
    </message>
    <message>
        <source>请先打开一张图片(文件 → 打开),再保存。</source>
        <translation>Aprite prima un'immagine (File → Apri), poi salvate.</translation>
    </message>
    <message>
        <source>无法读取图片 %1。请选择 PNG、JPEG、GIF、BMP 或 XPM 图片。</source>
        <translation>Impossibile leggere l'immagine %1. Scegliete un'immagine PNG, JPEG, GIF, BMP o XPM.</translation>
    </message>
    <message>
        <source>无法在 %1 中创建临时工作文件夹: %2。图片无法转换。请确认临时文件夹可写,然后重新启动本程序。</source>
        <translation>Impossibile creare la cartella di lavoro temporanea in %1: %2. Le immagini non possono essere convertite. Verificate che la cartella temporanea sia scrivibile, poi riavviate il programma.</translation>
    </message>
    <message>
        <source>图片太大: %1 x %2 像素。最多可用 %3 百万像素,请选择较小的图片。</source>
        <translation>L'immagine è troppo grande: %1 x %2 pixel. Sono ammessi al massimo %3 megapixel; scegliete un'immagine più piccola.</translation>
    </message>
    <message>
        <source>%1 不是普通文件,不能作为图片打开。请选择一个图片文件。</source>
        <translation>%1 non è un file normale e non può essere aperto come immagine. Scegliete un file immagine.</translation>
    </message>
</context>
</TS>
