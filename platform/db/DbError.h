#pragma once
// Errors of the data access layer. Every failure of a connection, a statement,
// a data set operation, a record filter or a dBASE table is raised as DbError
// (a station Exception), so callers catch either type.
#include "core/Exception.h"

class DbError : public Exception
{
public:
    using Exception::Exception;
};

// An invalid record filter text or index field list.
class FilterError : public DbError
{
public:
    using DbError::DbError;
};

// A dBASE table that is missing, truncated or corrupt, or cannot be written.
class DbfError : public DbError
{
public:
    using DbError::DbError;
};
