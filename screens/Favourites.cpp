#include "screens/Favourites.h"

#include "platform/db/DataSet.h"
#include "platform/db/DbConnection.h"

bool SignInFavourites(DbConnection& connection, const QString& userId)
{
    if (userId.isEmpty())
        return false;
    const SqlDialect& dialect = connection.Dialect();
    const QString users = dialect.QuoteName(QStringLiteral("user"));
    int rows = -1;
    try {
        rows =
            connection
                .Scalar(QStringLiteral("select count(*) from ") + users + QStringLiteral(" where userid=?"), {userId})
                .toInt();
    } catch (const std::exception&) {
        rows = -1; // the catalogue cannot be read: the insert below fails too
    }
    if (rows == 1) {
        // Signed in whatever the date update reports.
        connection.RunSql(QStringLiteral("update ") + users + QStringLiteral(" set lastlogin=") +
                              dialect.CurrentDate() + QStringLiteral(" where userid=?"),
                          {userId});
        return true;
    }
    return connection.RunSql(QStringLiteral("insert into ") + users + QStringLiteral(" (USERID,LASTLOGIN) VALUES (?,") +
                                 dialect.CurrentDate() + QStringLiteral(")"),
                             {userId});
}

void LoadFavourites(DataSet& detail, const QString& userId)
{
    detail.Close();
    // The favourite's own song number and a name to show are taken apart from
    // the song's record: a favourite whose record is gone still shows (its
    // number for a name) and can be deleted.
    detail.SetCommandText(QStringLiteral("SELECT a.filepath,a.SongNo AS ") + kFavouriteSongNo +
                          QStringLiteral(",COALESCE(b.Name,a.SongNo) AS ") + kFavouriteName +
                          QStringLiteral(",b.* FROM song AS a LEFT JOIN original AS b ON a.SongNo=b.SONGNO where "
                                         "a.songno in(select songno from mylove where userId=?) order by "
                                         "b.Singer_nam,b.Name"));
    detail.SetParameters({userId});
    detail.Open();
}

bool DeleteFavourite(DbConnection& connection, const QString& userId, const QString& songNo)
{
    return connection.RunSql(QStringLiteral("delete from mylove where userid=? and SongNo=?"), {userId, songNo});
}
