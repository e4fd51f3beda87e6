<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="zh_CN">
<context>
    <name>CapturingDialog</name>
    <message>
        <source>裁剪图像</source>
        <translation>Recadrer l'image</translation>
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
        <translation>Convertisseur d'images</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>Fichier</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Édition</translation>
    </message>
    <message>
        <source>打开截图</source>
        <translation>Ouvrir le cadre de capture</translation>
    </message>
    <message>
        <source>关闭截图</source>
        <translation>Fermer le cadre de capture</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Aide</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Choisir une image</translation>
    </message>
    <message>
        <source>图片格式</source>
        <translation>Images</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>文件已保存</source>
        <translation>Fichier enregistré</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>图片尚未保存,是否保存图片?</source>
        <translation>L'image n'a pas encore été enregistrée. L'enregistrer ?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Oui</translation>
    </message>
    <message>
        <source>否</source>
        <translation>Non</translation>
    </message>
    <message>
        <source>update 文件夹中没有固件包,标志未写入。请先放入固件包再保存。</source>
        <translation>Aucun paquet de micrologiciel dans le dossier update : le logo n'a pas été écrit. Placez-y un paquet puis enregistrez à nouveau.</translation>
    </message>
    <message>
        <source>固件包写入失败。请检查 update 文件夹是否可写、固件包是否完整。</source>
        <translation>L'écriture du paquet de micrologiciel a échoué. Vérifiez que le dossier update est accessible en écriture et que le paquet est intact.</translation>
    </message>
    <message>
        <source>图片无法转换,文件未保存。请选择其他图片。</source>
        <translation>L'image n'a pas pu être convertie ; rien n'a été enregistré. Choisissez une autre image.</translation>
    </message>
    <message>
        <source>最新的固件包中没有启动标志条目,标志未写入。请换用带有启动标志的固件包。</source>
        <translation>Le paquet de micrologiciel le plus récent ne contient pas d&apos;entrée de logo de démarrage ; le logo n&apos;a pas été écrit. Utilisez un paquet qui contient un logo de démarrage.</translation>
    </message>
    <message>
        <source>截图需要开启窗口合成的桌面。没有合成管理器时截图框只显示黑色,保存将转换所选图片。</source>
        <translation>La capture nécessite un bureau avec composition, et aucun n&apos;est actif. Le cadre de capture apparaît noir et Enregistrer convertit l&apos;image choisie au lieu de la zone du cadre.</translation>
    </message>
    <message>
        <source>请先打开一张图片(文件 → 打开),再保存。</source>
        <translation>Ouvrez d'abord une image (Fichier → Ouvrir), puis enregistrez.</translation>
    </message>
    <message>
        <source>无法读取图片 %1。请选择 PNG、JPEG、GIF、BMP 或 XPM 图片。</source>
        <translation>L'image %1 ne peut pas être lue. Choisissez une image PNG, JPEG, GIF, BMP ou XPM.</translation>
    </message>
    <message>
        <source>无法在 %1 中创建临时工作文件夹: %2。图片无法转换。请确认临时文件夹可写,然后重新启动本程序。</source>
        <translation>Impossible de créer le dossier de travail temporaire dans %1 : %2. Les images ne peuvent pas être converties. Vérifiez que le dossier temporaire est accessible en écriture, puis redémarrez le programme.</translation>
    </message>
    <message>
        <source>图片太大: %1 x %2 像素。最多可用 %3 百万像素,请选择较小的图片。</source>
        <translation>L'image est trop grande : %1 x %2 pixels. Au plus %3 mégapixels sont acceptés ; choisissez une image plus petite.</translation>
    </message>
    <message>
        <source>%1 不是普通文件,不能作为图片打开。请选择一个图片文件。</source>
        <translation>%1 n'est pas un fichier ordinaire et ne peut pas être ouvert comme image. Choisissez un fichier image.</translation>
    </message>
</context>
</TS>
